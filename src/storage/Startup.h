#pragma once
#include <QDialog>
#include <QString>
#include <QVector>
#include <memory>

class QApplication;
class QLineEdit;
class QLockFile;
class QPushButton;

namespace slip {

// The answer of the chooser dialogs; "" when cancelled.
extern QString ChoiceResult;

// The program's entry: creates or upgrades the database, ends silently (0)
// when another copy runs on the same data folder, then shows the password
// prompt or the main window and runs the event loop.
int Main(QApplication& app);

// Holds the data folder for this process; false when another process holds it.
// The lock lasts until ReleaseInstanceLock or the end of the process.
bool AcquireInstanceLock();
void ReleaseInstanceLock();

// The start-up password, exactly and with case.
bool CheckStartupPassword(const QString& typed);

enum class PasswordChange { Changed, NewEntriesDiffer, WrongOldPassword, StoreFailed };
// Changes (or with empty new entries removes) the start-up password.
PasswordChange ChangeStartupPassword(const QString& oldEntry, const QString& newEntry,
                                     const QString& repeatEntry);

// Opens the main window of the program.
void ShowMainWindow();

// The start-up password prompt.
class PSDCon : public QDialog {
    Q_OBJECT
public:
    explicit PSDCon(QWidget* parent = nullptr);
    QLineEdit* T = nullptr;
    QPushButton* COM = nullptr;
public slots:
    void COM_Click();
};

// The dialog that changes or removes the start-up password.
class ModiPSD : public QDialog {
    Q_OBJECT
public:
    explicit ModiPSD(QWidget* parent = nullptr);
    QVector<QLineEdit*> T;
    QPushButton* COM = nullptr;
public slots:
    void COM_Click();
};

} // namespace slip
