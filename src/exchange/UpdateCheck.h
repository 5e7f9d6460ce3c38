#pragma once
#include <QString>
#include <chrono>

namespace slip {

// Asks the vendor's server whether a newer version exists. The window runs it
// once per run, ten seconds after start; this is the plain work.
//
// The answer only informs the operator. The page is fetched over a
// connection nothing authenticates, so its word never makes the program run
// anything: no updater, no downloaded file, no local program is started, and
// the program does not end. The operator installs a new version himself.

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
// rename, never over an existing backup. No change of the database can come
// between: the copy is taken while a write lock is held.
DatabaseBackup MakeDatabaseBackup();

enum class UpdateOutcome {
    Failed,          // no server address, no answer, an error answer, no "</title>"
    NoVersion,       // a page without a version where one belongs
    UpToDate,        // the server's version is not newer
    NewerAvailable,  // a newer version is announced; a backup was attempted
};

struct UpdateCheckResult {
    UpdateOutcome outcome = UpdateOutcome::Failed;
    QString serverVersion;
    QString backupPath;   // when the backup was written
    QString message;      // for the operator, only with NewerAvailable
    QString error;        // why it failed (the check itself stays silent)
};

// Fetches the update page (mark "</title>", HttpGetTextRetry), reads the
// announced version and compares it with currentVersion (the program's own,
// e.g. "3.00"). When the server's is newer the database is backed up and the
// message says which version is available and where the backup is.
UpdateCheckResult CheckNewVersion(const QString& currentVersion, int productId = kUpdateProductId,
                                  std::chrono::milliseconds timeout = std::chrono::seconds(120),
                                  int attempts = 5);

} // namespace slip
