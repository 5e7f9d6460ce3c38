#include "ui/Translations.h"

#include <QApplication>
#include <QHash>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <clocale>

namespace slip {

namespace {

const char* const kLocaleVariables[] = {"LC_ALL", "LANG", "LANGUAGE"};

// Texts of Qt's file dialogs that its Chinese catalogue leaves in English.
class MissingQtTexts : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char*, int) const override
    {
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0) return QString();
        static const QHash<QByteArray, QString> texts{
            {"Drive", QStringLiteral("驱动器")},
            {"Folder", QStringLiteral("文件夹")},
            {"Alias", QStringLiteral("别名")},
            {"Shortcut", QStringLiteral("快捷方式")},
        };
        return texts.value(QByteArray(source));
    }
};

} // namespace

ChineseSystemLocale::ChineseSystemLocale()
{
    for (const char* name : kLocaleVariables) {
        if (qEnvironmentVariableIsSet(name)) saved_ << qMakePair(QByteArray(name), qgetenv(name));
        else unset_ << QByteArray(name);
    }
    qputenv("LC_ALL", "zh_CN.UTF-8");
    qputenv("LANG", "zh_CN.UTF-8");
    qputenv("LANGUAGE", "zh_CN");
}

ChineseSystemLocale::~ChineseSystemLocale() { RestoreEnvironment(); }

void ChineseSystemLocale::RestoreEnvironment()
{
    if (restored_) return;
    restored_ = true;
    for (const auto& [name, value] : saved_) qputenv(name.constData(), value);
    for (const QByteArray& name : unset_) qunsetenv(name.constData());
    // The application object set the C library's locale from the Chinese
    // settings, which the machine may not have.
    std::setlocale(LC_ALL, "");
}

void InstallTranslations(QApplication& app)
{
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char* name : {"qtbase_zh_CN", "qt_zh_CN"}) {
        auto* t = new QTranslator(&app);
        if (t->load(QString::fromLatin1(name), dir)) {
            app.installTranslator(t);
            break;
        }
        delete t;
    }
    app.installTranslator(new MissingQtTexts(&app));
}

} // namespace slip
