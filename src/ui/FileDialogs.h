#pragma once
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

namespace slip {

// --- Folders and shell ---------------------------------------------------

// Makes sure a folder of this name exists in the data folder. A name that is
// empty after trimming gives false; so does a folder that can't be made
// (for example a file of that name is in the way).
bool EnsureAppFolder(const QString& folderName);

// What the desktop is asked to open for a path or an address: a text with a
// scheme (http:, https:, mailto:, file:) as it is, anything else as a local file.
QUrl ShellOpenUrl(const QString& pathOrAddress);
// Hands a file or address to the desktop's open action; false when nothing
// on the desktop took it.
bool ShellOpen(const QString& pathOrAddress);

// --- File dialogs --------------------------------------------------------

// The filter of the picture chooser, display texts and patterns joined by "|".
extern const QString kPictureFilter;

// Converts a "name|*.x|name|*.y;*.z" filter into Qt's entries: one entry per
// pair, the patterns joined by blanks in parentheses after the name (a name
// that already ends with exactly those patterns in parentheses is kept as it
// is), "*.*" read as every file. An unpaired last name is dropped.
QStringList QtFileFilters(const QString& filter);

struct FileDialogRequest {
    QString filter;       // as the caller gave it
    bool save = false;
    QString defaultName;  // "" when none was given
};

// Answers a file dialog: the chosen full path, "" when the operator cancels.
using FileDialogHandler = std::function<QString(const FileDialogRequest&)>;
// Replaces the Qt file dialogs (tests answer them from a script); an empty
// handler restores the Qt dialogs.
void SetFileDialogHandler(FileDialogHandler handler);

// The open (or, with save, the save) dialog with the filter; a default name
// that is not "" is preset, otherwise the name of the previous use stays.
// Neither adds an extension nor asks before overwriting. "" on Cancel.
QString ChooseFile(const QString& filter, bool save, const QString& defaultName = {});

// The open dialog with the picture filter; "" on Cancel.
QString ChoosePictureFile();

} // namespace slip
