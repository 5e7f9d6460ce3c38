#pragma once
#include <QString>
#include <QStringList>
#include <QUrl>

namespace slip {

// The help menu's targets: the program's manual and the maker's web pages on
// the server the operator sets (服务器地址设置).

// The manual is the help file "KVW.CHM", looked for in the data folder (the
// program's own folder for its files) and then beside the program.
QString ManualFileName();
QStringList ManualFolders();
// The manual in the first folder that holds it, or "".
QString FindManual(const QStringList& folders);
// The text shown when there is no manual: where it was looked for.
QString NoManualMessage();
// Opens the manual with the desktop's handler for it; tells the operator
// when there is none or nothing opens it.
void OpenManualFile();

// Opens the manual at a help topic (the offset wizard's 19, 30 and 31) with
// a viewer that takes a topic's context number (xCHM); without one, the desktop's handler opens the file at
// its start. Tells the operator when there is no manual or nothing opens it.
void OpenManualTopic(int topic);

// A web page of the help menu.
struct HelpPage {
    QString caption;     // the menu item
    QString serverPath;  // where it lies on the server
};
QList<HelpPage> HelpPages();

struct HelpAddress {
    QUrl url;            // valid when it may be opened
    QString error;       // for the operator otherwise
};
// The page's address on the configured server; with none set the error is
// "未设置服务器地址！", as for the other web commands.
HelpAddress HelpPageAddress(const HelpPage& page);

} // namespace slip
