#pragma once
#include <QString>
#include <chrono>
#include <functional>

namespace slip {

// Asks the vendor's server whether a newer version exists. The window runs it
// once per run, ten seconds after start; this is the plain work.
//
// When the server announces a newer version the database is backed up and the
// program hands over to its updater: the executable "update" in the program's
// own folder, started with one fixed argument. Nothing the page says reaches
// the updater or any command line: the page only decides whether it starts.

inline constexpr int kUpdateProductId = 17;

QString UpdatePageServerPath(int productId);   // "/calbrenno/downpage/Pro.asp?ID=17"

// The number at the start of `text` (blanks before it skipped): digits with
// at most one "." among them, as its text ("3.10" stays "3.10"); empty when
// the text starts with anything else.
QString LeadingVersionText(const QString& text);

// A version text's value, 0 when it holds no version.
double VersionValue(const QString& version);

// The version a page announces: the number at the start of what follows the
// first "(" after the first "<title>" ("<title>x</title>(9.99)" gives 9.99);
// without a "<title>" or a "(" the search starts where it stands. Empty when
// no number stands there.
QString VersionFromPage(const QString& page);

// Compared as numbers: 3.1 is newer than 3.00, 3.10 equals 3.1.
bool IsNewerVersion(const QString& serverVersion, const QString& currentVersion);

struct DatabaseBackup {
    bool ok = false;
    QString path;
    QString error;
};

// Copies DATA.mdb to BAK_dataNNN.DAT beside it (three digits or more, the
// first number from 000 up with no such file), through a temporary file and a
// rename, never over an existing backup; the copy is readable by its owner
// only. No change of the database can come between: the copy is taken while a
// write lock is held.
DatabaseBackup MakeDatabaseBackup();

enum class UpdateOutcome {
    Failed,          // no server address, no answer, an error answer, no "</title>"
    NoVersion,       // a page without a version where one belongs
    UpToDate,        // the server's version is not newer
    NewerAvailable,  // a newer version is announced; a backup was attempted
};

// What the operator is told before the hand-over to the updater.
inline QString UpdateStartingText() { return QStringLiteral("本软件已升级，启动自动升级..."); }

struct UpdateCheckResult {
    UpdateOutcome outcome = UpdateOutcome::Failed;
    QString serverVersion;
    QString backupPath;   // when the backup was written
    QString message;      // for the operator, only with NewerAvailable
    QString error;        // why it failed, or why the backup did (the check itself stays silent)
};

// Fetches the update page (mark "</title>", HttpGetTextRetry), reads the
// announced version and compares it with currentVersion (the program's own,
// e.g. "3.00"). When the server's is newer the database is backed up and the
// message is UpdateStartingText(); a failed backup is told in error and does
// not stop the hand-over (the database itself stays where it is).
UpdateCheckResult CheckNewVersion(const QString& currentVersion, int productId = kUpdateProductId,
                                  std::chrono::milliseconds timeout = std::chrono::seconds(120),
                                  int attempts = 5);

// The updater's file name in the program's own folder.
inline constexpr char kUpdaterName[] = "update";

// The updater's one argument: the package to install, "QV17.rar", then "|"
// and the file name of the program's executable, which it starts again.
QString UpdaterArgument(const QString& programName);

// What the operator is told when the program can't end now and the updater
// is therefore not started.
inline QString UpdatePostponedText()
{
    return QStringLiteral("已取消退出，自动升级将在下次启动程序时进行。");
}

// Asked before the updater starts: true when the program may end now (the
// operator has answered the question about unsaved changes), false when it
// stays (the operator cancelled).
using ReadyToEnd = std::function<bool()>;

struct UpdaterStart {
    bool ok = false;
    bool postponed = false;  // readyToEnd said no: nothing was started
    QString error;           // for the operator: missing, did not start, or UpdatePostponedText()
};

// Starts programFolder/update with UpdaterArgument(programName) as its one
// argument (no shell: no character of either reaches a command line), in
// programFolder as its working folder, and does not wait for it. The updater
// replaces the program once it has ended, so it is started only when
// readyToEnd (asked once the updater is found) agrees; a program that stays
// would run beside its own replacement.
UpdaterStart StartUpdater(const QString& programFolder, const QString& programName,
                          const ReadyToEnd& readyToEnd = {});

} // namespace slip
