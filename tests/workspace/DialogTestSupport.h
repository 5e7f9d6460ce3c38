#pragma once
// Helpers of the dialog tests: a sample format, and the operator's hands.
#include "ScriptedPrompter.h"
#include "TestHome.h"

#include "model/SlipFormat.h"
#include "ui/WindowHelpers.h"
#include "workspace/dialogs/BoxPropertiesDialog.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

namespace slip::test {

// Box IDs of the sample format.
enum SampleIds : BoxId {
    kAmount = 45, kWords = 46, kDate = 47, kAccount = 1234567, kUnsavedText = -1,
    kCash = 60, kTransfer = 61, kOther = 62,
    kBarcode = 70, kPhoto = 71,
    kLine1 = 80, kLine2 = 81, kLine3 = 82,
    kTitle = 90, kNote = 91,
};

// A deposit slip of 210 × 100 mm with boxes of every kind.
inline void LoadSampleFormat(SlipFormat& f, const QString& name = QStringLiteral("进账单"))
{
    FormatHeader h;
    h.name = name;
    h.widthMm = 210;
    h.heightMm = 100;
    h.offsetXMm = h.offsetYMm = 10;
    std::vector<Box> boxes;
    const auto add = [&boxes](BoxKind kind, BoxId id, QRectF rect, const QString& caption) -> Box& {
        Box& b = boxes.emplace_back(NewBoxOfKind(kind, rect.topLeft()));
        b.id = id;
        b.rect = rect;
        b.caption = caption;
        return b;
    };
    const auto line = [&boxes](BoxId id, QLineF l, int style, double width, QColor color) {
        Box& b = boxes.emplace_back(NewBoxOfKind(BoxKind::Line, l.p1()));
        b.id = id;
        b.line = l;
        b.lineStyle = style;
        b.lineWidth = width;
        b.color = color;
    };
    Box& amount = add(BoxKind::Text, kAmount, {120, 40, 60, 8}, QStringLiteral("金额"));
    amount.dataType = DataType::FromStored(104);
    amount.font = {QStringLiteral("宋体"), 10.5, false, false, false, false};
    Box& words = add(BoxKind::Text, kWords, {30, 40, 80, 8}, QStringLiteral("大写"));
    words.dataType = DataType::FromStored(103);
    words.captionSide = CaptionSide::Above;
    words.align = TextAlign::Centre;
    words.color = QColor(0, 0, 160);
    Box& date = add(BoxKind::Text, kDate, {150, 10, 40, 6}, QStringLiteral("日期"));
    date.dataType = DataType::FromStored(110);
    date.lineSpacingMm = -1.5;
    add(BoxKind::Text, kAccount, {30, 20, 70, 6}, QStringLiteral("账号"));
    add(BoxKind::Text, kUnsavedText, {30, 60, 40, 6}, QStringLiteral("新框"));
    add(BoxKind::Check, kCash, {20, 80, 5, 5}, QStringLiteral("现金"));
    add(BoxKind::Check, kTransfer, {50, 80, 5, 5}, QStringLiteral("转账"));
    add(BoxKind::Check, kOther, {80, 80, 5, 5}, QStringLiteral("其他"));
    add(BoxKind::Picture, kBarcode, {120, 60, 60, 15}, QStringLiteral("条码"));
    add(BoxKind::Picture, kPhoto, {185, 60, 20, 20}, QStringLiteral("印鉴"));
    line(kLine1, {10, 30, 200, 30}, 1, 1, Qt::black);
    line(kLine2, {10, 50, 200, 50}, 2, 2, Qt::red);
    line(kLine3, {10, 70, 200, 70}, 7, 1, Qt::blue);
    Box& title = add(BoxKind::Label, kTitle, {70, 2, 70, 8}, QStringLiteral("银行进账单"));
    title.align = TextAlign::Centre;
    title.lineSpacingMm = -1.5;
    title.font = {QStringLiteral("黑体"), 16, true, false, false, false};
    add(BoxKind::Label, kNote, {10, 90, 60, 6}, QStringLiteral("备注"));
    f.Load(h, std::move(boxes));
    f.SetValue(kAmount, QStringLiteral("1234.5"));
    f.SetValue(kBarcode, QStringLiteral("6901234567892"));
}

// Shows a window and waits until it is on the screen.
inline void ShowAndWait(QWidget* w)
{
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
}

// Replaces the text of a field by typing, as the operator does.
inline void TypeInto(QLineEdit* e, const QString& text)
{
    QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(e, Qt::Key_Delete);
    for (const QChar ch : text) {
        if (ch.unicode() < 0x80) {
            QTest::keyClick(e, char(ch.unicode()));
            continue;
        }
        // Characters beyond ASCII come as an input method hands them over:
        // a key event carrying the text.
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(e, &press);
        QApplication::sendEvent(e, &release);
    }
}

inline void Click(QAbstractButton* b)
{
    ASSERT_TRUE(b->isVisible());
    ASSERT_TRUE(b->isEnabled());
    // Option and check boxes answer on their mark and caption, not on the
    // empty space a layout may give them to the right.
    const bool marked = qobject_cast<QCheckBox*>(b) || qobject_cast<QRadioButton*>(b);
    const QPoint at = marked ? QPoint(std::min(8, b->width() / 2), b->height() / 2) : b->rect().center();
    QTest::mouseClick(b, Qt::LeftButton, {}, at);
}

// Opens a list and clicks one of its items.
inline void PickComboItem(QComboBox* list, int index)
{
    list->showPopup();
    QAbstractItemView* view = list->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
    view->scrollTo(view->model()->index(index, 0));
    const QRect r = view->visualRect(view->model()->index(index, 0));
    ASSERT_TRUE(r.isValid());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
    QTRY_VERIFY(!view->window()->isVisible());
}

// Answers the font or colour dialog with `answer` while it lives.
template <class T, auto SetHandler>
class ScriptedDialog {
public:
    explicit ScriptedDialog(std::optional<T> answer)
    {
        SetHandler([this, answer](const T& preset) {
            presets.push_back(preset);
            return answer;
        });
    }
    ~ScriptedDialog() { SetHandler({}); }
    std::vector<T> presets;
};
using ScriptedFont = ScriptedDialog<FontChoice, &SetFontDialogHandler>;
using ScriptedColor = ScriptedDialog<QColor, &SetColorDialogHandler>;

// Every box of the format but the listed ones, for "nothing else changed".
inline std::vector<Box> BoxesBut(const SlipFormat& f, std::initializer_list<BoxId> ids)
{
    std::vector<Box> out;
    for (const Box& b : f.Boxes())
        if (std::find(ids.begin(), ids.end(), b.id) == ids.end()) out.push_back(b);
    return out;
}

// Runs `step` on the modal dialog once it is shown (for the dialogs that
// wait for the operator).
template <class Dialog, class Step>
void WhenModalShown(Step step)
{
    QTimer::singleShot(0, [step] {
        for (int i = 0; i < 200; ++i) {
            if (auto* d = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
                if (!QTest::qWaitForWindowExposed(d)) ADD_FAILURE() << "the dialog was not exposed";
                step(d);
                return;
            }
            QTest::qWait(10);
        }
        ADD_FAILURE() << "the dialog was not shown";
    });
}

} // namespace slip::test
