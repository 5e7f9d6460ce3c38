#include "workspace/SlipMenus.h"

#include "core/TextNumber.h"
#include "core/Units.h"
#include "model/BoxEditing.h"
#include "print/SlipDrawing.h"
#include "print/barcode/Code39.h"
#include "ui/FileDialogs.h"
#include "ui/Prompt.h"
#include "ui/SelFormat.h"
#include "workspace/SlipView.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <cmath>

namespace slip {

QString BoxKindCaption(BoxKind kind)
{
    switch (kind) {
    case BoxKind::Text: return QStringLiteral("文本框");
    case BoxKind::Check: return QStringLiteral("可选框");
    case BoxKind::Picture: return QStringLiteral("图像框");
    case BoxKind::Line: return QStringLiteral("线条");
    case BoxKind::Label: return QStringLiteral("标签");
    }
    return QString();
}

SlipMenus::SlipMenus(SlipFormat& format, SlipView* canvas, QWidget* parent)
    : QObject(parent), format_(format), canvas_(canvas), parent_(parent)
{
}

namespace {

QAction* Item(QMenu& menu, const QString& caption, bool enabled, std::function<void()> work)
{
    QAction* a = menu.addAction(caption);
    a->setEnabled(enabled && bool(work));
    if (work) QObject::connect(a, &QAction::triggered, &menu, std::move(work));
    return a;
}

} // namespace

void SlipMenus::FillMenu(QMenu& menu, BoxId id, QPointF atMm)
{
    const Box* box = id ? format_.Find(id) : nullptr;
    const bool open = format_.IsOpen();
    const bool editable = open && !format_.Options().locked;
    if (!box) {
        // The slip menu. Adding slips to the history comes with printing.
        Item(menu, QStringLiteral("添加下一张单据"), format_.IsOpen(), hooks.addNextSlip);
        Item(menu, QStringLiteral("打印并添加单据"), format_.IsOpen(), hooks.printAndAddSlip);
        Item(menu, QStringLiteral("自动生成日期"), format_.IsOpen(), hooks.autoFillDates);
        Item(menu, QStringLiteral("清空内容框"), format_.IsOpen(), [this] { ClearBoxValues(format_); });
        menu.addSeparator();
        // Adding at the clicked point stays open while the format is locked.
        Item(menu, QStringLiteral("添加内容框"), open, [this, atMm] { AddBoxAsked(atMm); });
        menu.addSeparator();
        Item(menu, QStringLiteral("更换背景图"), format_.IsOpen(), hooks.replaceBackground);
        Item(menu, QStringLiteral("清除背景图"), format_.IsOpen(), hooks.clearBackground);
        return;
    }
    const BoxKind kind = box->kind;
    std::function<void()> properties;
    if (hooks.openProperties)
        properties = [this, id] {
            if (format_.Find(id)) hooks.openProperties(parent_, format_, id);
        };
    Item(menu, QStringLiteral("设置内容框"), editable, properties);
    Item(menu, QStringLiteral("添加内容框"), editable, [this] { AddBoxAsked(QPointF()); });
    // Copies and links go on while the format is locked.
    Item(menu, QStringLiteral("复制内容框"), open, [this, id] { CopyBoxesAsked(id); });
    Item(menu, QStringLiteral("删除内容框"), editable, [this, id] { DeleteBoxesAsked(id); });
    if (kind == BoxKind::Text || kind == BoxKind::Check) {
        menu.addSeparator();
        Item(menu, kind == BoxKind::Text ? QStringLiteral("建立关联链") : QStringLiteral("设置单选"), open,
             [this, id] { MakeRelationRing(format_, id); });
    }
    // Every box has the item; only a text box starts a path of related boxes.
    Item(menu, QStringLiteral("建立相关项"), open, [this, id] { MakeRelatedPath(format_, id); });
    if (kind == BoxKind::Picture) {
        menu.addSeparator();
        Item(menu, QStringLiteral("添加  图片"), true, [this, id] { AddPicture(id); });
        Item(menu, QStringLiteral("输入条形码"), true, [this, id] { EnterBarcode(id); });
    }
    if (kind == BoxKind::Text || kind == BoxKind::Label) {
        menu.addSeparator();
        Item(menu, QStringLiteral("复制文本"), true, [this, id] { CopyText(id); });
        Item(menu, QStringLiteral("粘贴文本"), true, [this, id] { PasteText(id); });
    }
}

void SlipMenus::Popup(BoxId id, QPointF atMm, QPoint globalPos)
{
    QMenu menu(parent_);
    FillMenu(menu, id, atMm);
    menu.exec(globalPos);
}

BoxId SlipMenus::AddBoxAsked(QPointF atMm)
{
    if (!format_.IsOpen()) return 0;
    const QString answer = AskInputBoxClass();
    if (answer.isEmpty()) return 0;
    const int k = answer.toInt();
    if (!IsBoxKindNumber(k)) return 0;
    const BoxKind kind = BoxKind(k);
    const BoxId id = AddBoxAt(format_, kind, atMm);
    if (id == 0) {
        MsgBox(QStringLiteral("每类内容框最多") + QString::number(kMaxBoxesPerKind)
                   + QStringLiteral("个，不能再添加“") + BoxKindCaption(kind) + QStringLiteral("”！"));
        return 0;
    }
    return id;
}

void SlipMenus::CopyBoxesAsked(BoxId clicked)
{
    if (!format_.Find(clicked)) return;
    const auto answer = InputBox(QStringLiteral("请输入要复制输入框个数："), QString(), QStringLiteral("1"));
    if (!answer) return;
    const double v = Val(*answer);
    if (!std::isfinite(v) || v < 1) return;
    const int wanted = v > kMaxBoxesPerKind ? kMaxBoxesPerKind + 1 : int(v);
    const int fits = CopyCountThatFits(format_, CopySources(format_, clicked), wanted);
    if (fits < wanted) {
        if (fits == 0) {
            MsgBox(QStringLiteral("每类内容框最多") + QString::number(kMaxBoxesPerKind)
                       + QStringLiteral("个，已经不能再复制了！"));
            return;
        }
        MsgBox(QStringLiteral("每类内容框最多") + QString::number(kMaxBoxesPerKind) + QStringLiteral("个，只能再复制")
                   + QString::number(fits) + QStringLiteral("份。"));
    }
    // Copies stand 200 twips of the screen apart.
    CopyBoxes(format_, clicked, fits, canvas_ ? canvas_->TwipsToMm(200) : 200 * units::kMmPerInch / 1440);
}

void SlipMenus::DeleteBoxesAsked(BoxId clicked)
{
    if (format_.Options().locked || !format_.Find(clicked)) return;
    if (!ConfirmLoss(QStringLiteral("您确定要删除选定的输入框和当前输入框？"))) return;
    DeleteMarkedAnd(format_, clicked);
}

void SlipMenus::AddPicture(BoxId id)
{
    const Box* b = format_.Find(id);
    if (!b || b->kind != BoxKind::Picture) return;
    const QString path = ChoosePictureFile();
    if (path.isEmpty()) return;
    if (!QFileInfo(path).isFile()) {
        MsgBox(QStringLiteral("图片文件“") + path + QStringLiteral("”不存在！"));
        return;
    }
    format_.SetValue(id, path);
}

void SlipMenus::EnterBarcode(BoxId id)
{
    const Box* b = format_.Find(id);
    if (!b || b->kind != BoxKind::Picture) return;
    const auto answer = InputBox(QStringLiteral("请输入条形码（数字串）："), QString(), format_.Value(id));
    // Cancel keeps what the box shows; an empty answer empties it.
    if (!answer) return;
    format_.SetValue(id, answer->trimmed());
    // A symbol the box can't show leaves it empty: said now, not at printing.
    if (canvas_ && canvas_->BarcodeStandard() == 0 && IsBarcodeValue(format_.Value(id))) {
        double module = 0;
        const QString why = Code39OutcomeMessage(
            FitReadableCode39(format_.Value(id), units::TwipsFromMm(b->rect.width()), module));
        if (!why.isEmpty()) MsgBox(why);
    }
}

void SlipMenus::CopyText(BoxId id)
{
    const Box* b = format_.Find(id);
    if (!b) return;
    QString text;
    if (b->kind == BoxKind::Text) {
        QPlainTextEdit* ed = canvas_ ? canvas_->Editor() : nullptr;
        const bool typing = canvas_ && canvas_->EditingBox() == id && ed;
        text = typing && ed->textCursor().hasSelection() ? ed->textCursor().selectedText().replace(QChar(0x2029), u'\n')
                                                          : format_.Value(id);
    } else if (b->kind == BoxKind::Label) {
        text = b->caption;
    }
    if (!text.isEmpty()) QGuiApplication::clipboard()->setText(text);
}

void SlipMenus::PasteText(BoxId id)
{
    const Box* b = format_.Find(id);
    if (!b) return;
    const QString clip = QGuiApplication::clipboard()->text();
    if (clip.isEmpty()) return;
    if (b->kind == BoxKind::Text) {
        QPlainTextEdit* ed = canvas_ ? canvas_->Editor() : nullptr;
        if (canvas_ && canvas_->EditingBox() == id && ed) {
            // In the box being typed into the text goes in at the caret, in
            // place of the selected text.
            ed->insertPlainText(clip);
        } else {
            format_.SetValue(id, format_.Value(id) + clip);
        }
    } else if (b->kind == BoxKind::Label) {
        Box c = *b;
        c.caption = clip;
        format_.UpdateBox(c);
    }
}

} // namespace slip
