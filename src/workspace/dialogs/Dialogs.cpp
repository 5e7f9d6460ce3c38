#include "workspace/dialogs/Dialogs.h"

#include "workspace/dialogs/AboutDialog.h"
#include "workspace/dialogs/CaptionedBoxDialogs.h"
#include "workspace/dialogs/LabelDialog.h"
#include "workspace/dialogs/LineDialog.h"
#include "workspace/dialogs/SlipDialogs.h"
#include "workspace/dialogs/TextBoxDialog.h"

#include <QPointer>
#include <QTimer>

namespace slip {

namespace {

// The open dialog of each kind.
QPointer<BoxPropertiesDialog>& OpenDialog(BoxKind kind)
{
    static QPointer<BoxPropertiesDialog> open[kBoxKindCount];
    return open[int(kind)];
}

template <class Dialog>
Dialog* ShowFor(QWidget* parent, SlipFormat& format, BoxId id, BoxKind kind)
{
    const Box* b = format.Find(id);
    if (!b || b->kind != kind) return nullptr;
    QPointer<BoxPropertiesDialog>& open = OpenDialog(kind);
    // A dialog of another format is closed; a closed one waits to be
    // deleted and is not used again.
    if (open && (&open->Format() != &format || !open->isVisible())) {
        open->close();
        open = nullptr;
    }
    auto* dialog = qobject_cast<Dialog*>(open.data());
    if (!dialog) {
        dialog = new Dialog(format, parent);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        open = dialog;
    }
    dialog->Target(id);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}

} // namespace

TextBoxDialog* EditCtl(QWidget* parent, SlipFormat& format, BoxId id)
{
    return ShowFor<TextBoxDialog>(parent, format, id, BoxKind::Text);
}

CheckBoxDialog* ProChk(QWidget* parent, SlipFormat& format, BoxId id)
{
    return ShowFor<CheckBoxDialog>(parent, format, id, BoxKind::Check);
}

PictureBoxDialog* ProPic(QWidget* parent, SlipFormat& format, BoxId id)
{
    return ShowFor<PictureBoxDialog>(parent, format, id, BoxKind::Picture);
}

LineDialog* ProLine(QWidget* parent, SlipFormat& format, BoxId id)
{
    return ShowFor<LineDialog>(parent, format, id, BoxKind::Line);
}

LabelDialog* ProLBL(QWidget* parent, SlipFormat& format, BoxId id)
{
    return ShowFor<LabelDialog>(parent, format, id, BoxKind::Label);
}

BoxPropertiesDialog* OpenBoxProperties(QWidget* parent, SlipFormat& format, BoxId id)
{
    const Box* b = format.Find(id);
    if (!b) return nullptr;
    switch (b->kind) {
    case BoxKind::Text: return EditCtl(parent, format, id);
    case BoxKind::Check: return ProChk(parent, format, id);
    case BoxKind::Picture: return ProPic(parent, format, id);
    case BoxKind::Line: return ProLine(parent, format, id);
    case BoxKind::Label: return ProLBL(parent, format, id);
    }
    return nullptr;
}

namespace {

// Shows a settings dialog of the window without blocking it, one of a kind:
// while one is open, asking again brings it to the front. Null then.
template <class Dialog, class Make>
Dialog* ShowSetting(QWidget* parent, Make make)
{
    const QList<Dialog*> open = parent ? parent->findChildren<Dialog*>(Qt::FindDirectChildrenOnly) : QList<Dialog*>();
    for (Dialog* d : open) {
        if (!d->isVisible()) continue;
        d->raise();
        d->activateWindow();
        return nullptr;
    }
    Dialog* d = make();
    d->setAttribute(Qt::WA_DeleteOnClose);
    d->show();
    d->raise();
    d->activateWindow();
    return d;
}

} // namespace

void EditSlipSize(QWidget* parent, SlipFormat& format, std::function<void()> changed)
{
    if (!format.IsOpen()) return;
    auto* d = ShowSetting<SlipSizeDialog>(parent, [&] { return new SlipSizeDialog(format, parent); });
    if (!d || !changed) return;
    // The follow-up shows progress, whose events may delete the closing
    // dialog under its own accept: it runs once the dialog has finished.
    const QPointer<QWidget> owner(parent);
    QObject::connect(d, &QDialog::accepted, d, [d, changed, owner] {
        if (d->Changed() && owner) QTimer::singleShot(0, owner, changed);
    });
}

void EditPrintMargins(QWidget* parent, SlipFormat& format)
{
    if (!format.IsOpen()) return;
    ShowSetting<PrintMarginDialog>(parent, [&] { return new PrintMarginDialog(format, parent); });
}

void EditBarcodeStandard(QWidget* parent, std::function<void()> applied)
{
    auto* d = ShowSetting<BarcodeStandardDialog>(parent, [&] { return new BarcodeStandardDialog(parent); });
    if (d && applied) QObject::connect(d, &QDialog::accepted, d, applied);
}

void ShowAbout(QWidget* parent)
{
    static QPointer<AboutDialog> open;
    if (!open) {
        open = new AboutDialog(parent);
        open->setAttribute(Qt::WA_DeleteOnClose);
    }
    open->show();
    open->raise();
    open->activateWindow();
}

} // namespace slip
