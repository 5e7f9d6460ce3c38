// Every dialog laid out on a real format: nothing is cut off or stands
// outside its window. With SLIP_DIALOG_SHOTS set to a folder, each dialog is
// also saved there as a picture, to be looked at.
#include "DialogTestSupport.h"

#include "storage/FormatStore.h"
#include "workspace/dialogs/AboutDialog.h"
#include "workspace/dialogs/CaptionedBoxDialogs.h"
#include "workspace/dialogs/LabelDialog.h"
#include "workspace/dialogs/LineDialog.h"
#include "workspace/dialogs/SlipDialogs.h"
#include "workspace/dialogs/TextBoxDialog.h"

#include "storage/Params.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

using namespace slip;
using namespace slip::test;

namespace {

struct EveryDialogTest : ::testing::Test {
    TestHome home;
    ScriptedPrompter prompter;
    SlipFormat format;

    void SetUp() override
    {
        // The sample format goes through the database and back, as the
        // operator's formats do.
        SlipFormat sample;
        LoadSampleFormat(sample);
        QHash<BoxId, BoxId> ids;
        ASSERT_TRUE(FormatStore::Save(sample, sample.Name(), false, 15360, ids));
        StoredFormat stored;
        ASSERT_TRUE(FormatStore::Load(sample.Name(), 15360, FormatHeader(), stored));
        format.Load(stored.header, std::move(stored.boxes));
        SetParam(QStringLiteral("关于：版权所有"), QStringLiteral("示例软件工作室"));
        SetParam(QStringLiteral("关于：开发者"), QStringLiteral("示例软件工作室开发部"));
        SetParam(QStringLiteral("关于：电话"), QStringLiteral("010-12345678"));
        SetParam(QStringLiteral("关于：网址"), QStringLiteral("www.example.com"));
    }

    BoxId First(BoxKind kind) { return format.BoxesOfKind(kind).front()->id; }

    // Shows the dialog and checks that every caption fits in its place.
    void Check(QDialog& d, const QString& file)
    {
        d.adjustSize();
        ShowAndWait(&d);
        QTest::qWait(20);
        const QRect inside = d.rect();
        for (QWidget* w : d.findChildren<QWidget*>()) {
            if (!w->isVisible() || w->window() != &d) continue;
            const QRect at(w->mapTo(&d, QPoint(0, 0)), w->size());
            EXPECT_TRUE(inside.contains(at)) << file.toStdString() << ": " << w->metaObject()->className();
            QString text;
            if (auto* l = qobject_cast<QLabel*>(w); l && !l->wordWrap()) text = l->text();
            if (auto* b = qobject_cast<QAbstractButton*>(w)) text = b->text();
            if (!text.isEmpty()) {
                EXPECT_GE(w->width(), w->sizeHint().width()) << file.toStdString() << ": " << text.toStdString();
                EXPECT_GE(w->height(), w->fontMetrics().height()) << file.toStdString() << ": " << text.toStdString();
            }
            if (auto* g = qobject_cast<QGroupBox*>(w))
                EXPECT_GE(g->width(), g->fontMetrics().horizontalAdvance(g->title()) + 10) << g->title().toStdString();
            if (auto* c = qobject_cast<QComboBox*>(w)) {
                // The chosen item can be read whole (beside the arrow).
                EXPECT_GE(c->width(), c->fontMetrics().horizontalAdvance(c->currentText()) + 30)
                    << file.toStdString() << ": " << c->currentText().toStdString();
            }
            if (auto* e = qobject_cast<QLineEdit*>(w))
                EXPECT_GE(e->width(), e->fontMetrics().horizontalAdvance(QStringLiteral("000.00")));
        }
        const QString folder = qEnvironmentVariable("SLIP_DIALOG_SHOTS");
        if (!folder.isEmpty()) {
            QDir().mkpath(folder);
            EXPECT_TRUE(d.grab().save(folder + QLatin1Char('/') + file));
        }
        d.close();
    }
};

} // namespace

TEST_F(EveryDialogTest, TextBoxDialog)
{
    TextBoxDialog d(format);
    ASSERT_TRUE(d.Target(format.BoxesOfKind(BoxKind::Text)[1]->id));
    Check(d, QStringLiteral("text-box.png"));
}

TEST_F(EveryDialogTest, TextBoxDialogWithTheTypeListOpen)
{
    TextBoxDialog d(format);
    ASSERT_TRUE(d.Target(First(BoxKind::Text)));
    d.adjustSize();
    ShowAndWait(&d);
    d.typeList->showPopup();
    QWidget* popup = d.typeList->view()->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(popup));
    // Every item can be read whole.
    int widest = 0;
    for (int i = 0; i < d.typeList->count(); ++i)
        widest = std::max(widest, d.typeList->view()->fontMetrics().horizontalAdvance(d.typeList->itemText(i)));
    EXPECT_GE(d.typeList->view()->viewport()->width(), widest);
    const QString folder = qEnvironmentVariable("SLIP_DIALOG_SHOTS");
    if (!folder.isEmpty()) popup->grab().save(folder + QStringLiteral("/text-box-types.png"));
    d.typeList->hidePopup();
}

TEST_F(EveryDialogTest, CheckBoxDialog)
{
    CheckBoxDialog d(format);
    ASSERT_TRUE(d.Target(First(BoxKind::Check)));
    Check(d, QStringLiteral("check-box.png"));
}

TEST_F(EveryDialogTest, PictureBoxDialog)
{
    PictureBoxDialog d(format);
    ASSERT_TRUE(d.Target(First(BoxKind::Picture)));
    Check(d, QStringLiteral("picture-box.png"));
}

TEST_F(EveryDialogTest, LineDialog)
{
    LineDialog d(format);
    ASSERT_TRUE(d.Target(format.BoxesOfKind(BoxKind::Line)[1]->id));
    Check(d, QStringLiteral("line.png"));
}

TEST_F(EveryDialogTest, LabelDialog)
{
    LabelDialog d(format);
    ASSERT_TRUE(d.Target(First(BoxKind::Label)));
    Check(d, QStringLiteral("label.png"));
}

TEST_F(EveryDialogTest, SlipSizeDialog)
{
    SlipSizeDialog d(format);
    Check(d, QStringLiteral("slip-size.png"));
}

TEST_F(EveryDialogTest, PrintMarginDialog)
{
    PrintMarginDialog d(format);
    Check(d, QStringLiteral("print-margin.png"));
}

TEST_F(EveryDialogTest, BarcodeStandardDialog)
{
    BarcodeStandardDialog d;
    Check(d, QStringLiteral("barcode-standard.png"));
}

TEST_F(EveryDialogTest, AboutDialog)
{
    AboutDialog d;
    Check(d, QStringLiteral("about.png"));
}
