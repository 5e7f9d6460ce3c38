#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

class QApplication;

namespace slip {

// Makes the program's locale Chinese (China) for every widget: Qt reads the
// system locale (file dialogs' dates and sizes) from the environment once,
// when the application object is made, so this is made before it and undone
// once it exists (RestoreEnvironment): the C library, and programs started
// from here, keep the operator's settings.
class ChineseSystemLocale {
public:
    ChineseSystemLocale();
    ~ChineseSystemLocale();
    ChineseSystemLocale(const ChineseSystemLocale&) = delete;
    ChineseSystemLocale& operator=(const ChineseSystemLocale&) = delete;
    void RestoreEnvironment();

private:
    QList<QPair<QByteArray, QByteArray>> saved_;  // name, value ("" unset)
    QList<QByteArray> unset_;
    bool restored_ = false;
};

// Loads Qt's own Chinese texts, with the few it lacks (file type names), so
// the standard dialogs (file dialog, OK and Cancel of input boxes) speak the
// program's language, and makes Chinese (China) the locale of every widget.
void InstallTranslations(QApplication& app);

} // namespace slip
