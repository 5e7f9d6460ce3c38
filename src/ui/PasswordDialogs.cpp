#include "ui/PasswordDialogs.h"

#include "storage/Password.h"
#include "ui/Prompt.h"
#include "ui/WindowHelpers.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace slip {

namespace {

// Every typed character shows as "*", whatever the style would draw.
void MaskWithStars(QLineEdit* box)
{
    box->setEchoMode(QLineEdit::Password);
    box->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
}

} // namespace

// Enter in a line edit presses the dialog's default button; the line edit's
// own returnPressed is not connected as well, or one key would run the
// action twice.

PasswordPrompt::PasswordPrompt(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("请输入密码"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("密码："), this), 0, 0);
    entry = new QLineEdit(this);
    MaskWithStars(entry);
    grid->addWidget(entry, 0, 1);
    okButton = new QPushButton(QStringLiteral("确    定"), this);
    okButton->setDefault(true);
    grid->addWidget(okButton, 1, 1, Qt::AlignRight);
    connect(okButton, &QPushButton::clicked, this, &PasswordPrompt::Confirm);
    SetTopmost(this);
}

void PasswordPrompt::Confirm()
{
    if (!CheckStartupPassword(entry->text())) {
        // A password that can no longer be read is no wrong guess.
        if (ReadStartupPasswordState() == StartupPasswordState::Unreadable)
            MsgBox(UnreadablePasswordText());
        else
            MsgBox(QStringLiteral("密码错误！"));
        entry->selectAll();
        return;
    }
    // The receiver may have closed the prompt already.
    QPointer<PasswordPrompt> self(this);
    emit unlocked();
    if (self) close();
}

PasswordChangeDialog::PasswordChangeDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("修改密码"));
    auto* grid = new QGridLayout(this);
    const QString labels[3] = {QStringLiteral("原有密码："), QStringLiteral("新的密码："),
                               QStringLiteral("再次输入：")};
    for (int i = 0; i < 3; ++i) {
        grid->addWidget(new QLabel(labels[i], this), i, 0);
        auto* box = new QLineEdit(this);
        MaskWithStars(box);
        grid->addWidget(box, i, 1);
        entries << box;
    }
    entries[0]->setToolTip(QStringLiteral("原始密码为空"));
    entries[1]->setToolTip(QStringLiteral("不输内容表示去除密码"));
    okButton = new QPushButton(QStringLiteral("确  定"), this);
    okButton->setDefault(true);
    grid->addWidget(okButton, 3, 1, Qt::AlignRight);
    connect(okButton, &QPushButton::clicked, this, &PasswordChangeDialog::Confirm);
    SetTopmost(this);
}

void PasswordChangeDialog::Confirm()
{
    switch (ChangeStartupPassword(entries[0]->text(), entries[1]->text(), entries[2]->text())) {
    case PasswordChange::NewEntriesDiffer:
        MsgBox(QStringLiteral("两次输入的新密码不相符！"));
        return;
    case PasswordChange::WrongOldPassword:
        MsgBox(QStringLiteral("原有密码不正确！"));
        return;
    case PasswordChange::StoreFailed:
        MsgBox(QStringLiteral("密码保存失败！"));
        return;
    case PasswordChange::Unreadable:
        MsgBox(UnreadablePasswordText());
        return;
    case PasswordChange::Changed:
        emit changed(QStringLiteral("登录密码已设置，下次启动时需要输入密码。"));
        close();
        return;
    case PasswordChange::Removed:
        emit changed(QStringLiteral("登录密码已去除，下次启动时不再询问密码。"));
        close();
        return;
    }
}

} // namespace slip
