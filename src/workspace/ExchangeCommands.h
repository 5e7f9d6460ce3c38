#pragma once
#include "exchange/FormatExchange.h"
#include "exchange/UpdateCheck.h"

#include <QString>
#include <chrono>
#include <functional>

namespace slip {

// The menu commands of format exchange and the online services, with the
// operator's dialogs and messages around the work of the exchange layer.

// Opens a format by name in the main window.
using OpenFormatFn = std::function<void(const QString& name)>;

// "导出格式": name "" asks with the format chooser "请选择格式名称"; then the
// save dialog (filter ExchangeFileFilter()) preset to the format's
// BackgroundStore::FormatFileBase; Cancel in either ends silently.
// Tells the path written, or why nothing was.
ExportResult ExportFormatCommand(QString name, const QString& currentFormat);

// "导入格式": path "" asks with the open dialog (Cancel, or a chosen file that
// is not there, ends silently). Tells a failure; opens the new format through
// openFormat when the operator wants it. options: see ImportOptions; the
// format is stored for the primary screen.
FormatImportResult ImportFormatCommand(QString path, const OpenFormatFn& openFormat,
                                       const ImportOptions& options = {});

// "服务器地址设置": asks the server's address until it is a usable http or
// https address; an empty answer clears it, Cancel keeps the old one. True
// when the setting changed.
bool ServerAddressCommand();

// The update check: when the server announces a newer version the database
// is backed up (a failed backup is told) and the operator is told
// UpdateStartingText() (OK only, no icon); true then, and the caller hands
// over with UpdaterCommand. Any other outcome shows nothing.
bool UpdateCheckCommand(std::chrono::milliseconds timeout = std::chrono::seconds(120), int attempts = 5);

// The hand-over: starts the updater from programFolder once readyToEnd (the
// save question of the closing window) agrees, see StartUpdater. A missing
// or failing updater, or the operator's cancel, is told and the program goes
// on. True when it started: the program should then end at once, without
// asking again.
bool UpdaterCommand(const QString& programFolder, const QString& programName, const ReadyToEnd& readyToEnd);

} // namespace slip
