#pragma once

class QApplication;

namespace slip {

// The program's entry: ends quietly when another copy runs on the same data
// folder, makes sure the database can be used (a file that can't is reported
// and left as it is), upgrades it, then shows the password prompt
// or the main window and runs the event loop. Answers the exit status.
int Main(QApplication& app);

enum class InstanceLock { Acquired, HeldByAnotherCopy, Failed };
// Holds the data folder for this process until ReleaseInstanceLock or the
// end of the process. Only a lock held by a live copy counts as another copy;
// a lock file that can't be made (full disk, read-only folder) is a failure.
InstanceLock AcquireInstanceLock();
void ReleaseInstanceLock();

// What start-up tells the operator when the database can't be used, or ""
// when it can. It never changes a file it refuses.
// A file written without the database's password is encrypted here, once.
// What can't be mended at start (a format's missing header) is told, and
// the file is still usable.
enum class DatabaseCheck { Usable, ReadOnly, NotADatabase, CannotSetUp, CannotEncrypt };
DatabaseCheck PrepareDatabase();
const char* DatabaseCheckText(DatabaseCheck check);

// Opens the main window of the program.
void ShowMainWindow();
// Asks for the start-up password; the right one opens the main window, and
// once that is on the screen the prompt closes (before a format list the
// main window offers is answered).
void ShowPasswordPrompt();

} // namespace slip
