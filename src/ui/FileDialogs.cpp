#include "ui/FileDialogs.h"

#include "core/DataFolder.h"
#include "ui/WindowHelpers.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace slip {

bool EnsureAppFolder(const QString& folderName)
{
    const QString name = folderName.trimmed();
    if (name.isEmpty()) return false;
    const QString path = DataFolder() + QLatin1Char('/') + name;
    if (QFileInfo(path).isDir()) return true;
    return QDir().mkpath(path) && QFileInfo(path).isDir();
}

QUrl ShellOpenUrl(const QString& pathOrAddress)
{
    const QUrl url(pathOrAddress, QUrl::StrictMode);
    // One letter before ":" is a drive, not a scheme.
    if (url.isValid() && url.scheme().size() > 1) return url;
    return QUrl::fromLocalFile(pathOrAddress);
}

bool ShellOpen(const QString& pathOrAddress)
{
    return QDesktopServices::openUrl(ShellOpenUrl(pathOrAddress));
}

const QString kPictureFilter = QStringLiteral(
    "JPEG格式(*.jpg)|*.jpg|位图(*.bmp)|*.bmp|GIF格式(*.gif)|*.gif|WMF格式(*.wmf)|*.wmf|"
    "图标格式(*.ico)|*.ico|所有格式(*.*)|*.*");

QStringList QtFileFilters(const QString& filter)
{
    QStringList out;
    if (filter.isEmpty()) return out;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString name = parts[i].trimmed();
        QStringList patterns;
        for (QString p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            p = p.trimmed();
            if (p == QLatin1String("*.*")) p = QStringLiteral("*");
            if (!p.isEmpty()) patterns << p;
        }
        if (patterns.isEmpty()) patterns << QStringLiteral("*");
        const QString joined = patterns.join(QLatin1Char(' '));
        const QString tail = QLatin1Char('(') + joined + QLatin1Char(')');
        if (name.endsWith(tail)) out << name;
        else if (name.isEmpty()) out << tail;
        else out << name + QLatin1Char(' ') + tail;
    }
    return out;
}

namespace {

FileDialogHandler& Handler()
{
    static FileDialogHandler handler;
    return handler;
}

QString& LastName()
{
    static QString last;
    return last;
}

QString ShowQtFileDialog(const FileDialogRequest& r)
{
    ScopedDialog<QFileDialog> held(DialogParent());
    QFileDialog& dialog = *held.get();
    dialog.setAcceptMode(r.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(r.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    const QStringList filters = QtFileFilters(r.filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    const QString preset = r.defaultName.isEmpty() ? LastName() : r.defaultName;
    if (!preset.isEmpty()) dialog.selectFile(preset);
    if (dialog.exec() != QDialog::Accepted || !held.get()) return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

} // namespace

void SetFileDialogHandler(FileDialogHandler handler) { Handler() = std::move(handler); }

QString ChooseFile(const QString& filter, bool save, const QString& defaultName)
{
    const FileDialogRequest request{filter, save, defaultName};
    const QString path = Handler() ? Handler()(request) : ShowQtFileDialog(request);
    if (!path.isEmpty()) LastName() = path;
    return path;
}

QString ChoosePictureFile() { return ChooseFile(kPictureFilter, false); }

} // namespace slip
