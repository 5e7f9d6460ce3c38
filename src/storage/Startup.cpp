#include "storage/Startup.h"

#include "storage/DataFolder.h"
#include "storage/Database.h"
#include "storage/Fonts.h"
#include "storage/Params.h"
#include "storage/Prompt.h"
#include "storage/Schema.h"
#include "storage/WindowHelpers.h"
#include "workspace/MainWindow.h"

#include <QApplication>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QPushButton>

namespace slip {

QString ChoiceResult;

namespace {

const QString kPasswordKey = QStringLiteral("软件密码");
std::unique_ptr<QLockFile> g_instanceLock;

} // namespace

bool AcquireInstanceLock()
{
    if (g_instanceLock) return true;
    auto lock = std::make_unique<QLockFile>(DataFile(QStringLiteral("slipprint.lock")));
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) return false;
    g_instanceLock = std::move(lock);
    return true;
}

void ReleaseInstanceLock() { g_instanceLock.reset(); }

bool CheckStartupPassword(const QString& typed)
{
    return typed == GetParam(kPasswordKey);
}

PasswordChange ChangeStartupPassword(const QString& oldEntry, const QString& newEntry,
                                     const QString& repeatEntry)
{
    if (newEntry != repeatEntry) return PasswordChange::NewEntriesDiffer;
    if (oldEntry != GetParam(kPasswordKey)) return PasswordChange::WrongOldPassword;
    return SetParam(kPasswordKey, newEntry) ? PasswordChange::Changed : PasswordChange::StoreFailed;
}

void ShowMainWindow()
{
    auto* mf = new MainWindow();
    mf->setAttribute(Qt::WA_DeleteOnClose);
    mf->Start();
}

int Main(QApplication& app)
{
    InstallFontSubstitutions();
    DataFolder();
    // A file that is no database is reported and left exactly as it is.
    if (!DatabaseUsable(false) || !EnsureSchema()) return 1;
    QFile::setPermissions(DatabasePath(), QFile::ReadOwner | QFile::WriteOwner);
    UpgradeSchema();
    if (!AcquireInstanceLock()) return 0;
    ChoiceResult.clear();
    if (!GetParam(kPasswordKey).isEmpty()) {
        auto* prompt = new PSDCon();
        prompt->setAttribute(Qt::WA_DeleteOnClose);
        prompt->show();
    } else {
        ShowMainWindow();
    }
    return app.exec();
}

PSDCon::PSDCon(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("请输入密码"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("密码："), this), 0, 0);
    T = new QLineEdit(this);
    T->setEchoMode(QLineEdit::Password);
    grid->addWidget(T, 0, 1);
    COM = new QPushButton(QStringLiteral("确    定"), this);
    COM->setDefault(true);
    grid->addWidget(COM, 1, 1, Qt::AlignRight);
    connect(COM, &QPushButton::clicked, this, &PSDCon::COM_Click);
    connect(T, &QLineEdit::returnPressed, this, &PSDCon::COM_Click);
    SetTopmost(this);
}

void PSDCon::COM_Click()
{
    if (!CheckStartupPassword(T->text())) {
        MsgBox(QStringLiteral("密码错误！"), PromptIcon::Warning);
        return;
    }
    ShowMainWindow();
    // The main window is up, so closing the prompt doesn't end the program.
    close();
}

ModiPSD::ModiPSD(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("修改密码"));
    auto* grid = new QGridLayout(this);
    const QString labels[3] = {QStringLiteral("原有密码："), QStringLiteral("新的密码："),
                               QStringLiteral("再次输入：")};
    for (int i = 0; i < 3; ++i) {
        grid->addWidget(new QLabel(labels[i], this), i, 0);
        auto* box = new QLineEdit(this);
        box->setEchoMode(QLineEdit::Password);
        grid->addWidget(box, i, 1);
        connect(box, &QLineEdit::returnPressed, this, &ModiPSD::COM_Click);
        T << box;
    }
    T[0]->setToolTip(QStringLiteral("原始密码为空"));
    T[1]->setToolTip(QStringLiteral("不输内容表示去除密码"));
    COM = new QPushButton(QStringLiteral("确  定"), this);
    grid->addWidget(COM, 3, 1, Qt::AlignRight);
    connect(COM, &QPushButton::clicked, this, &ModiPSD::COM_Click);
    SetTopmost(this);
}

void ModiPSD::COM_Click()
{
    switch (ChangeStartupPassword(T[0]->text(), T[1]->text(), T[2]->text())) {
    case PasswordChange::NewEntriesDiffer:
        MsgBox(QStringLiteral("两次输入的新密码不相符！"), PromptIcon::Warning);
        return;
    case PasswordChange::WrongOldPassword:
        MsgBox(QStringLiteral("原有密码不正确！"), PromptIcon::Warning);
        return;
    case PasswordChange::StoreFailed:
        MsgBox(QStringLiteral("密码保存失败！"), PromptIcon::Critical);
        return;
    case PasswordChange::Changed:
        close();
        return;
    }
}

} // namespace slip
