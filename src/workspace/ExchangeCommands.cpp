#include "workspace/ExchangeCommands.h"

#include "core/ProgramName.h"
#include "exchange/ExchangeCodec.h"
#include "exchange/Server.h"
#include "storage/BackgroundStore.h"
#include "ui/FileDialogs.h"
#include "ui/Progress.h"
#include "ui/Prompt.h"
#include "ui/SelFormat.h"
#include "ui/WindowHelpers.h"

#include <QDir>
#include <QFileInfo>

namespace slip {

ExportResult ExportFormatCommand(QString name, const QString& currentFormat)
{
    ExportResult none;
    none.cancelled = true;
    if (name.isEmpty())
        name = RunSelFormat(QStringLiteral("Format"), false, QStringLiteral("请选择格式名称"), currentFormat);
    if (name.isEmpty()) return none;
    const QString chosen = ChooseFile(ExchangeFileFilter(), true, BackgroundStore::FormatFileBase(name));
    if (chosen.isEmpty()) return none;
    ExportResult result = ExportFormatFile(name, chosen, Prompts());
    if (result.ok) {
        MsgBox(result.message);
        if (!result.warning.isEmpty()) MsgBox(result.warning);
    } else if (!result.cancelled) {
        MsgBox(result.error);
    }
    return result;
}

FormatImportResult ImportFormatCommand(QString path, const OpenFormatFn& openFormat, const ImportOptions& options)
{
    FormatImportResult none;
    none.cancelled = true;
    if (path.trimmed().isEmpty()) {
        path = ChooseFile(ExchangeFileFilter(), false);
        if (path.isEmpty() || !QFileInfo(path).isFile()) return none;
    }
    WindowProgress progress;
    ImportOptions onScreen = options;
    onScreen.screenWidthTwips = ScreenWidthTwips();
    FormatImportResult result = ImportFormatFile(path, Prompts(), progress, onScreen);
    if (!result.ok && !result.cancelled) MsgBox(result.error);
    if (result.ok && result.openNow && openFormat) openFormat(result.name);
    return result;
}

bool ServerAddressCommand()
{
    QString typed = ServerAddress();
    for (;;) {
        const auto answer = InputBox(QStringLiteral("请输入模板下载和版本检查所用的服务器地址\r\n"
                                                    "（以 http:// 或 https:// 开头，留空则不使用网络功能）："),
                                     QStringLiteral("服务器地址设置"), typed);
        if (!answer) return false;
        typed = answer->trimmed();
        if (typed == ServerAddress()) return false;
        if (!typed.isEmpty()) {
            const ServerUrl checked = CheckServerAddress(typed);
            if (!checked.ok) {
                MsgBox(checked.error);
                continue;
            }
        }
        if (QString error; !SetServerAddress(typed, &error)) {
            MsgBox(error);
            return false;
        }
        return true;
    }
}

bool UpdateCheckCommand(std::chrono::milliseconds timeout, int attempts)
{
    const UpdateCheckResult result = CheckNewVersion(ProgramVersion(), kUpdateProductId, timeout, attempts);
    // A check that found nothing, or failed, stays silent: it runs unasked.
    if (result.outcome != UpdateOutcome::NewerAvailable) return false;
    if (!result.error.isEmpty()) MsgBox(result.error);
    MsgBox(result.message);
    return true;
}

bool UpdaterCommand(const QString& programFolder, const QString& programName, const ReadyToEnd& readyToEnd)
{
    const UpdaterStart started = StartUpdater(programFolder, programName, readyToEnd);
    if (!started.ok) MsgBox(started.error);
    return started.ok;
}

} // namespace slip
