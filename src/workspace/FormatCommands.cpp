#include "workspace/FormatCommands.h"

#include "core/TextNumber.h"
#include "model/BoxGeometry.h"
#include "model/SettingAnswers.h"
#include "storage/BackgroundStore.h"
#include "storage/FormatStore.h"
#include "ui/Progress.h"
#include "ui/Prompt.h"
#include "ui/SelFormat.h"

#include <QFileInfo>
#include <QTimer>
#include <cmath>

namespace slip {

void FormatCommands::LeaveFormat()
{
    const QString name = format_.Name();
    if (name.isEmpty()) return;
    if (defaultsRead_)
        if (const StoreResult r = FormatStore::SaveDefaults(format_, name); !r)
            MsgBox(r.error);
    if (const StoreResult r = FormatStore::SaveCurrentFormatState(name, format_.Options()); !r)
        MsgBox(r.error);
}

bool FormatCommands::OfferToSave()
{
    if (!format_.IsOpen() || !format_.IsModified()) return true;
    switch (Question(QStringLiteral("格式“") + format_.Name() + QStringLiteral("”已修改，是否保存？"),
                     PromptButtons::YesNoCancel)) {
    case PromptAnswer::Yes: return SaveFormat();
    case PromptAnswer::No: return true;
    default: return false;
    }
}

bool FormatCommands::ChooseFormat(QString name, bool force)
{
    if (name.isEmpty()) name = host_.ShowFormatList();
    if (name.isEmpty()) return false;
    if (name == format_.Name() && !force) return false;
    if (name != format_.Name()) {
        if (!OfferToSave()) return false;
        LeaveFormat();
    }
    if (!InitFormat(name)) return false;
    // The state record only tells the next start which format to open. It
    // is written once the window has shown the new format, so that the
    // switch does not wait for the disk.
    QTimer::singleShot(0, &afterShown_, [name, options = format_.Options()] {
        if (const StoreResult r = FormatStore::SaveCurrentFormatState(name, options); !r)
            MsgBox(r.error);
    });
    host_.AutoFillDates();
    return true;
}

bool FormatCommands::InitFormat(const QString& name)
{
    host_.ClearBatchRecords();
    WindowProgress progress;
    // Six steps of which five are taken, as the operator has always seen a
    // load go: started, header, canvas fitted, boxes read, boxes placed.
    progress.Start(QStringLiteral("正在初始化格式……"), 6);
    progress.Step(1, QStringLiteral("pages"));
    StoredFormat stored;
    // Settings missing from the header keep those of the format shown now.
    FormatHeader base = format_.Header();
    const StoreResult r = FormatStore::Load(name, host_.ScreenWidthTwips(), base, stored);
    progress.Step(1, QStringLiteral("pages"));
    if (!r) {
        progress.End();
        MsgBox(r.error);
        return false;
    }
    progress.Step(1, QStringLiteral("pages"));
    progress.Step(1, QStringLiteral("pages"));
    QString defaultsError;
    const QHash<BoxId, QString> defaults = FormatStore::LoadDefaults(name, &defaultsError);
    progress.Step(1, QStringLiteral("pages"));
    // The progress window gives the event loop its last turn before the
    // model changes, so the canvas paints the new format once.
    progress.End();
    format_.Load(stored.header, std::move(stored.boxes));
    defaultsRead_ = defaultsError.isEmpty();
    for (auto it = defaults.cbegin(); it != defaults.cend(); ++it)
        format_.SetStoredValue(it.key(), it.value(), host_.LineBreakMarker());
    host_.FormatOpened(true);
    if (!defaultsRead_) MsgBox(defaultsError);
    return true;
}

int FormatCommands::PullBoxesInside()
{
    WindowProgress progress;
    return slip::PullBoxesInside(format_, host_.MmPerScreenTwip(), progress);
}

bool FormatCommands::SaveFormat()
{
    const QString name = format_.Name();
    if (name.isEmpty()) return false;
    PullBoxesInside();
    QHash<BoxId, BoxId> ids;
    WindowProgress progress;
    FormatStore::SaveWith with;
    with.defaults = defaultsRead_;
    const StoreResult r = FormatStore::Save(format_, name, false, host_.ScreenWidthTwips(), ids, with, progress);
    if (!r) {
        MsgBox(r.error);
        return false;
    }
    format_.ApplySavedIds(ids);
    format_.SetModified(false);
    host_.StatusMessage(QStringLiteral("格式“") + name + QStringLiteral("”已保存。"));
    return true;
}

bool FormatCommands::SaveFormatAs(QString name, bool overwriteConfirmed)
{
    if (!format_.IsOpen()) return false;
    const QString old = format_.Name();
    PullBoxesInside();
    // A name typed into the chooser is checked there, which stays open with
    // it for correction; the open format's own name is a plain save.
    if (name.isEmpty())
        name = RunSelFormat(QStringLiteral("Format"), true, QStringLiteral("请选择格式名称"), old,
                            [&old](const QString& n) { return n == old ? QString() : FormatStore::NewNameProblem(n); });
    if (name.isEmpty()) return false;
    if (name != old)
        if (const QString problem = FormatStore::NewNameProblem(name); !problem.isEmpty()) {
            MsgBox(problem);
            return false;
        }
    if (!overwriteConfirmed && FormatStore::Exists(name)
        && !ConfirmLoss(QStringLiteral("该格式已经存在，是否覆盖？")))
        return false;
    if (name == old) return SaveFormat();
    // The format being left keeps its own defaults.
    if (defaultsRead_)
        if (const StoreResult r = FormatStore::SaveDefaults(format_, old); !r)
            MsgBox(r.error);
    // Boxes, defaults and picture of the new name change together.
    FormatStore::SaveWith with;
    with.defaults = true;
    with.pictureOf = old;
    QHash<BoxId, BoxId> ids;
    WindowProgress progress;
    const StoreResult r = FormatStore::Save(format_, name, true, host_.ScreenWidthTwips(), ids, with, progress);
    if (!r) {
        MsgBox(r.error);
        return false;
    }
    if (!r.error.isEmpty()) MsgBox(r.error);
    format_.ApplySavedIds(ids);
    format_.SetName(name);
    format_.SetModified(false);
    defaultsRead_ = true;  // the new name's defaults are the values shown
    FormatStore::SaveCurrentFormatState(name, format_.Options());
    host_.FormatOpened(false);
    host_.StatusMessage(QStringLiteral("格式已另存为“") + name + QStringLiteral("”。"));
    return true;
}

bool FormatCommands::DeleteFormat(QString name)
{
    if (name.isEmpty())
        name = RunSelFormat(QStringLiteral("Format"), false, QStringLiteral("请选择格式名称"), format_.Name());
    if (name.isEmpty()) return false;
    if (name == format_.Name()) {
        MsgBox(QStringLiteral("此格式为当前格式，不允许删除！"));
        return false;
    }
    if (!FormatStore::Exists(name)) {
        MsgBox(QStringLiteral("格式“") + name + QStringLiteral("”不存在，没有删除任何格式！"));
        return false;
    }
    if (!ConfirmLoss(QStringLiteral("您确定要删除格式：“") + name + QStringLiteral("”？")))
        return false;
    const StoreResult r = FormatStore::Delete(name);
    if (!r) {
        MsgBox(r.error);
        return false;
    }
    MsgBox(QStringLiteral("删除完成！"));
    return true;
}

bool FormatCommands::AskSize(const QString& prompt, const QString& side, double current, double& out)
{
    QString initial = current > 0 ? NumberText(current) : QString();
    for (;;) {
        const auto a = InputBox(prompt, NewFormatTitle(), initial);
        if (!a || a->trimmed().isEmpty()) return false;
        // The number the answer starts with: "180mm" is 180, and an answer
        // without a number is 0.
        const std::optional<double> n = LeadingNumber(*a);
        const double v = n && std::isfinite(*n) ? *n : 0;
        if (v == 0) {
            MsgBox(side + QStringLiteral("不能为零！"));
        } else if (v < 0) {
            MsgBox(QStringLiteral("尺寸不能为负数！"));
        } else if (const QString tooLong = SlipSideProblem(side, v); !tooLong.isEmpty()) {
            MsgBox(tooLong);
        } else {
            out = v;
            return true;
        }
        initial = *a;
    }
}

QString FormatCommands::NewFormatTitle() { return QStringLiteral("Sorvelin进账单-新建格式模板"); }

bool FormatCommands::NewFormat()
{
    QString name;
    for (;;) {
        // An empty name ends the command, as Cancel does.
        const auto typed = InputBox(QStringLiteral("请输入需要新建的格式名称："), NewFormatTitle(), name);
        if (!typed || typed->isEmpty()) return false;
        name = *typed;
        const QString problem = FormatStore::NewNameProblem(name);
        if (problem.isEmpty()) break;
        MsgBox(problem);
    }
    double w = 0, h = 0;
    for (;;) {
        if (!AskSize(QStringLiteral("输入格式模板宽度（单位：毫米）："), QStringLiteral("单据宽度"),
                     format_.Header().widthMm, w))
            return false;
        if (!AskSize(QStringLiteral("输入格式模板高度（单位：毫米）："), QStringLiteral("单据高度"),
                     format_.Header().heightMm, h))
            return false;
        if (SlipSizeAcceptable(w, h)) break;
        MsgBox(QStringLiteral("单据的宽度与高度比例应为1：20到20：1之间,请重新输入！"));
    }
    // Ask before anything of the open format is touched.
    if (FormatStore::Exists(name) && !ConfirmLoss(QStringLiteral("该格式已经存在，是否覆盖？")))
        return false;
    if (name != format_.Name() && !OfferToSave()) return false;
    // The open format is left as it was, defaults included.
    if (name != format_.Name()) LeaveFormat();
    // The new format keeps the print offsets, options and currency character
    // of the one that was open, and a copy of its picture.
    const QString old = format_.Name();
    FormatHeader header = format_.IsOpen() ? format_.Header() : FormatHeader();
    header.name = name;
    header.widthMm = w;
    header.heightMm = h;
    SlipFormat fresh;
    fresh.Load(header, {});
    // A format of that name that it replaces loses its defaults and keeps
    // its own picture; one without a picture takes the copy, all together.
    FormatStore::SaveWith with;
    with.defaults = true;
    with.pictureOf = old;
    QHash<BoxId, BoxId> ids;
    const StoreResult r = FormatStore::Save(fresh, name, true, host_.ScreenWidthTwips(), ids, with);
    if (!r) {
        MsgBox(r.error);
        return false;
    }
    if (!r.error.isEmpty()) MsgBox(r.error);
    // Of the current size the canvas stays as it is.
    const bool resized = !format_.IsOpen() || w != format_.Header().widthMm || h != format_.Header().heightMm;
    format_.Load(header, {});
    defaultsRead_ = true;
    FormatStore::SaveCurrentFormatState(name, format_.Options());
    host_.FormatOpened(resized);
    host_.StatusMessage(QStringLiteral("已新建格式“") + name + QStringLiteral("”。"));
    return true;
}

bool FormatCommands::ReplaceBackground(const QString& chosenFile)
{
    // Only a .jpg file is taken; any other answer ends here without a word.
    if (!format_.IsOpen() || !BackgroundStore::IsPictureFileName(chosenFile) || !QFileInfo(chosenFile).isFile())
        return false;
    if (BackgroundStore::HasPicture(format_.Name())
        && !ConfirmLoss(QStringLiteral("当前格式已有底图，是否要替换？")))
        return false;
    if (const StoreResult r = BackgroundStore::Replace(format_.Name(), chosenFile); !r) {
        MsgBox(r.error);
        return false;
    }
    host_.BackgroundChanged();
    return true;
}

bool FormatCommands::ClearBackground()
{
    if (!format_.IsOpen()) return false;
    // Asked also when there is no picture; then nothing more happens.
    if (!ConfirmLoss(QStringLiteral("您确定要清除背景图？"))) return false;
    if (!BackgroundStore::HasPicture(format_.Name())) return false;
    if (const StoreResult r = BackgroundStore::Remove(format_.Name()); !r) {
        MsgBox(r.error);
        return false;
    }
    host_.BackgroundChanged();
    return true;
}

} // namespace slip
