#pragma once
#include <QString>
#include <QStringList>
#include <QUrl>

namespace slip {

// The help menu's targets: the program's manual, when one is installed, and
// the maker's web pages, whose addresses are kept in the parameter table.

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
    QString paramName;   // the parameter that keeps its address
};
QList<HelpPage> HelpPages();

struct HelpAddress {
    QUrl url;            // valid when it may be opened
    QString error;       // for the operator otherwise
};
// The address kept for a page: refused when none is set and when it is no
// http or https address (the desktop would run a file or program for it).
HelpAddress HelpPageAddress(const HelpPage& page);

} // namespace slip
