#pragma once
#include <QDialog>
#include <QVector>

class QLineEdit;
class QPushButton;

namespace slip {

// Asks for the start-up password; `unlocked` is sent once the right one was
// typed, and the prompt closes after it (unless its receiver closed it
// already). Enter and the button do the same one thing.
class PasswordPrompt : public QDialog {
    Q_OBJECT
public:
    explicit PasswordPrompt(QWidget* parent = nullptr);
    QLineEdit* entry = nullptr;
    QPushButton* okButton = nullptr;

signals:
    void unlocked();

private:
    void Confirm();
};

// Changes or removes the start-up password: the old one, the new one twice.
class PasswordChangeDialog : public QDialog {
    Q_OBJECT
public:
    explicit PasswordChangeDialog(QWidget* parent = nullptr);
    QVector<QLineEdit*> entries;  // old, new, repeated
    QPushButton* okButton = nullptr;

signals:
    // The password was set or removed; `note` says which, for the status line.
    void changed(const QString& note);

private:
    void Confirm();
};

} // namespace slip
