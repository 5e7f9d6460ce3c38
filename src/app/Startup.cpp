#include "app/Startup.h"

#include "core/DataFolder.h"
#include "storage/BackgroundStore.h"
#include "storage/Compaction.h"
#include "storage/Database.h"
#include "storage/DatabaseCipher.h"
#include "storage/FormatStore.h"
#include "storage/Password.h"
#include "storage/Schema.h"
#include "core/Fonts.h"
#include "ui/PasswordDialogs.h"
#include "ui/Prompt.h"
#include "ui/Translations.h"
#include "ui/WindowHelpers.h"
#include "workspace/HistoryPanel.h"
#include "workspace/MainWindow.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

namespace slip {

namespace {

std::unique_ptr<QLockFile> g_instanceLock;

} // namespace

InstanceLock AcquireInstanceLock()
{
    if (g_instanceLock) return InstanceLock::Acquired;
    auto lock = std::make_unique<QLockFile>(DataFile(QStringLiteral("slipprint.lock")));
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        g_instanceLock = std::move(lock);
        return InstanceLock::Acquired;
    }
    // QLockFile removes a lock whose process is gone, so a lock it still
    // finds held, naming a process, belongs to a live copy. Anything else
    // (no room, no right to write, something else in the way) is a failure.
    qint64 pid = 0;
    QString host, app;
    if (lock->error() == QLockFile::LockFailedError && lock->getLockInfo(&pid, &host, &app) && pid > 0)
        return InstanceLock::HeldByAnotherCopy;
    return InstanceLock::Failed;
}

void ReleaseInstanceLock() { g_instanceLock.reset(); }

DatabaseCheck PrepareDatabase()
{
    const QString path = DatabasePath();
    const QFileInfo info(path);
    // A file its owner made read-only stays so: the program can't keep data
    // in it. (The owner's write bit tells, for root as well.)
    if (info.exists() && info.isFile() && !(QFile::permissions(path) & QFile::WriteOwner))
        return DatabaseCheck::ReadOnly;
    const bool isNew = !info.exists();
    if (!EncryptPlainDatabase()) return DatabaseCheck::CannotEncrypt;
    if (!DatabaseUsable()) return DatabaseCheck::NotADatabase;
    if (!EnsureSchema()) return DatabaseCheck::CannotSetUp;
    // A new file, or one others may read, becomes the owner's alone; a file
    // already private keeps the permissions its owner gave it.
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
                                      | QFile::WriteOther | QFile::ExeOther;
    if (isNew || (QFile::permissions(path) & others))
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    UpgradeSchema();
    // Formats older versions stored without a header get one now, before
    // any list shows them or any window opens one. A failure is told; the
    // program goes on with the formats as they are.
    if (const StoreResult mended = FormatStore::MendHeaders(ScreenWidthTwips()); !mended)
        MsgBox(QStringLiteral("格式的单据整体参数无法补全，缺少参数的格式不会出现在格式列表中！\r\n") + mended.error);
    // A picture change that a killed save had noted is finished now, before
    // any window shows a format; a killed compaction's copy goes.
    BackgroundStore::SettleAllChanges();
    ClearCompactionLeftovers(path);
    return DatabaseCheck::Usable;
}

const char* DatabaseCheckText(DatabaseCheck check)
{
    switch (check) {
    case DatabaseCheck::Usable: return "";
    case DatabaseCheck::ReadOnly: return "数据库文件为只读文件，程序无法保存数据，请修改文件属性后再启动！";
    case DatabaseCheck::NotADatabase: return "无法建立数据库连接！";
    case DatabaseCheck::CannotSetUp: return "无法建立数据库表，请检查磁盘空间和文件权限！";
    case DatabaseCheck::CannotEncrypt:
        return "无法将数据库文件转换为加密格式，原文件未作改动，请检查磁盘空间和文件权限！";
    }
    return "";
}

namespace {

// Runs `act` once the watched window has come on the screen, before the
// window's own start goes on (a format list it offers waits in its own loop).
class AfterFirstShow : public QObject {
public:
    AfterFirstShow(QWidget* window, std::function<void()> act) : QObject(window), act_(std::move(act))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, watched, act_);
        }
        return false;
    }

private:
    std::function<void()> act_;
};

void OpenMainWindow(std::function<void()> whenShown)
{
    AskAboutPendingPrintRuns();
    auto* mf = new MainWindow();
    mf->setAttribute(Qt::WA_DeleteOnClose);
    if (whenShown) new AfterFirstShow(mf, std::move(whenShown));
    mf->Start();
}

} // namespace

void ShowMainWindow() { OpenMainWindow({}); }

void ShowPasswordPrompt()
{
    auto* prompt = new PasswordPrompt();
    prompt->setAttribute(Qt::WA_DeleteOnClose);
    // The main window is on the screen before the prompt goes, so that the
    // program never stands without a window.
    QObject::connect(prompt, &PasswordPrompt::unlocked, prompt, [p = QPointer<PasswordPrompt>(prompt)] {
        OpenMainWindow([p] {
            if (p) p->close();
        });
    });
    prompt->show();
}

int Main(QApplication& app)
{
    InstallTranslations(app);
    InstallFontSubstitutions();
    if (DataFolder().isEmpty()) {
        MsgBox(QStringLiteral("无法建立数据文件夹！"));
        return 1;
    }
    // The lock comes first: a second copy started at the same moment must
    // not convert or upgrade the file beside the first.
    switch (AcquireInstanceLock()) {
    case InstanceLock::Acquired: break;
    case InstanceLock::HeldByAnotherCopy: return 0;
    case InstanceLock::Failed:
        MsgBox(QStringLiteral("无法建立程序锁文件，请检查磁盘空间和数据文件夹的权限！"));
        return 1;
    }
    const DatabaseCheck check = PrepareDatabase();
    if (check != DatabaseCheck::Usable) {
        ReleaseInstanceLock();
        MsgBox(QString::fromUtf8(DatabaseCheckText(check)));
        return 1;
    }
    QString why;
    const StartupPasswordState password = ReadStartupPasswordState(&why);
    if (password == StartupPasswordState::Unreadable) {
        MsgBox(UnreadablePasswordText() + QStringLiteral("\r\n") + why);
        ReleaseInstanceLock();
        return 1;
    }
    if (password == StartupPasswordState::Set) ShowPasswordPrompt();
    else ShowMainWindow();
    const int code = app.exec();
    // The windows are closed and every save is done: the folder is free.
    ReleaseInstanceLock();
    return code;
}

} // namespace slip
