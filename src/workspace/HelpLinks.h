#pragma once
#include <QString>
#include <QStringList>
#include <QUrl>

namespace slip {

// The help menu's targets: the program's manual, when one is installed, and
// the maker's web pages on the server the operator sets (服务器地址设置).

// The names a manual may have, in the order they are looked for.
QStringList ManualFileNames();
// Where a manual is looked for: the program's folder, the shared folder of
// an installed program (../share/doc/slipprint) and the data folder.
QStringList ManualFolders();
// The first manual found in the folders, or "".
QString FindManual(const QStringList& folders);
// The text shown when no manual is installed.
QString NoManualMessage();

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
