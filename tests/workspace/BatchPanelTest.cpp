#include "BatchUiSupport.h"
#include "GridCells.h"
#include "ModalScript.h"
#include "ProgressWatch.h"
#include "ScriptedFileDialog.h"
#include "ScriptedPrompter.h"
#include "TestHome.h"

#include "workspace/BatchPanel.h"
#include "ui/FrozenColumnView.h"
#include "workspace/MainWindow.h"

#include <QScrollBar>
#include <QLabel>
#include <QHeaderView>

using namespace slip;
using namespace slip::test;

namespace {

// 户名, 金额 (an amount, converted on leaving its box), 备注 (text), 加急 (check).
void MakeFormats()
{
    SlipFormat f;
    MakeStoredFormat(f, "工行", {{BoxKind::Text, "户名"}, {BoxKind::Text, "金额", 104}, {BoxKind::Text, "备注"},
                                 {BoxKind::Check, "加急"}});
    SlipFormat other;
    MakeStoredFormat(other, "农行", {{BoxKind::Text, "收款人"}});
    ASSERT_TRUE(FormatStore::SaveCurrentFormatState("工行", {}).ok);
}

QByteArray CsvText()
{
    return Gbk("户名,金额,备注,加急\r\n"
               "张三,1234.5,\"第一行\r\n第二行\",是\r\n"
               "李四,88,普通,\r\n"
               "王五,0.5,备注三,x\r\n"
               "赵六,7,备注四,\r\n"
               "钱七,9,备注五,\r\n");
}

// The mapping A, B, C, D over rows 2..last.
void MapAll(ImportMapDialog& d, const QString& endRow)
{
    d.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&d));
    TypeMap(d, 0, "A");
    TypeMap(d, 1, "B");
    TypeMap(d, 2, "C");
    TypeMap(d, 3, "D");
    SetRows(d, "2", endRow, "1");
    Click(d.okButton);
}

struct Window {
    Window()
    {
        mw.resize(1100, 760);
        mw.Start();
        EXPECT_EQ(mw.Format().Name(), "工行");
        panel = mw.batchPanel;
    }
    ~Window() { mw.close(); }
    BoxId Id(int index) { return BoxIdAt(mw.Format(), index); }
    QString Value(int index) { return mw.Format().Value(Id(index)); }
    MainWindow mw;
    BatchPanel* panel = nullptr;
};

// Imports the CSV of five records through the menu command.
void ImportCsv(Window& w, const QString& path, const QString& endRow = "6")
{
    ScriptedFileDialog files;
    files.answers = {path};
    ModalScript script;
    script.Expect<ImportMapDialog>([endRow](ImportMapDialog& d) { MapAll(d, endRow); });
    w.mw.importBatchAction->trigger();
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(script.unexpected.isEmpty()) << script.unexpected.join(",").toStdString();
}

void ClickRow(QTableView* view, int row, Qt::KeyboardModifiers mods = {})
{
    const QModelIndex cell = view->model()->index(row, 2);
    view->scrollTo(cell);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, mods, view->visualRect(cell).center());
}

struct BatchPanelTest : ::testing::Test {
    void SetUp() override
    {
        MakeFormats();
        ASSERT_TRUE(WriteBytes(csv, CsvText()));
    }
    Window& Open()
    {
        window = std::make_unique<Window>();
        return *window;
    }
    // The five records of the CSV file (up to row endRow) imported.
    Window& Import(const QString& endRow = "6")
    {
        ImportCsv(Open(), csv, endRow);
        return *window;
    }
    TestHome home;
    const QString csv = home.file("收款.csv");
    std::unique_ptr<Window> window;
};

} // namespace

TEST_F(BatchPanelTest, AGbkCsvImportPutsTheFirstRecordOnTheSlipConverted)
{
    Window& w = Open();
    EXPECT_TRUE(w.mw.tabs->isTabEnabled(1));  // chosen at any time, before an import too
    EXPECT_FALSE(w.panel->recordBar->isVisible());
    bool printAll = false;
    QObject::connect(w.panel, &BatchPanel::printAllEnabledChanged, [&](bool on) { printAll = on; });
    ImportCsv(w, csv);
    const BatchDataSet& set = w.panel->Batch();
    ASSERT_EQ(set.RecordCount(), 5);
    EXPECT_TRUE(w.mw.tabs->isTabEnabled(1));
    EXPECT_TRUE(w.panel->recordBar->isVisible());
    EXPECT_TRUE(printAll);
    EXPECT_EQ(w.Value(1), "张三");
    EXPECT_EQ(w.Value(2), "￥1,234.50");  // converted as on leaving its box
    EXPECT_EQ(w.panel->shownLabel->text(), "1");
    EXPECT_TRUE(w.panel->recordScroll->isEnabled());
    EXPECT_EQ(w.panel->recordScroll->maximum(), 5);
}

TEST_F(BatchPanelTest, SteppingThroughTheRecordsPutsEachOnTheSlip)
{
    Window& w = Import();
    QScrollBar* bar = w.panel->recordScroll;
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(bar->value(), 2);
    EXPECT_EQ(w.Value(1), "李四");
    EXPECT_EQ(w.Value(2), "￥88.00");
    EXPECT_EQ(w.panel->shownLabel->text(), "2");
    // A row picked in the grid only selects it (for deleting): what was
    // typed over the record shown stays.
    w.mw.Format().SetValue(w.Id(1), "手填");
    ClickRow(w.panel->grid, 2);
    EXPECT_EQ(w.Value(1), "手填");
    EXPECT_EQ(bar->value(), 2);
    EXPECT_EQ(w.panel->shownLabel->text(), "2");
    // The bar leaves the keys to the slip.
    EXPECT_EQ(bar->focusPolicy(), Qt::NoFocus);
}

TEST_F(BatchPanelTest, AClosedColumnKeepsItsTextBoxAsTyped)
{
    Window& w = Import();
    w.panel->grid->horizontalHeader()->resizeSection(1, 2);  // 户名 narrowed shut
    EXPECT_FALSE(w.panel->Batch().ColumnShown(0));
    w.mw.Format().SetValue(w.Id(1), "手填");
    w.panel->recordScroll->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(w.Value(1), "手填");
    EXPECT_EQ(w.Value(3), "普通");
    w.panel->grid->horizontalHeader()->resizeSection(1, 80);
    w.panel->recordScroll->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(w.Value(1), "王五");
}

TEST_F(BatchPanelTest, AColumnEmptyInEveryRecordIsClosedAndItsBoxKeepsWhatWasTyped)
{
    ASSERT_TRUE(WriteBytes(csv, Gbk("户名,金额,备注,加急\r\n张三,1,,\r\n李四,2,,\r\n")));
    Window& w = Open();
    w.mw.Format().SetValue(w.Id(3), "手填");
    // Imported again over the first batch, it stays closed.
    for (const int import : {1, 2}) {
        ImportCsv(w, csv, "3");
        EXPECT_TRUE(w.panel->Batch().ColumnShown(0)) << import;
        EXPECT_FALSE(w.panel->Batch().ColumnShown(2)) << import;
        w.panel->recordScroll->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        EXPECT_EQ(w.Value(1), "李四") << import;
        EXPECT_EQ(w.Value(3), "手填") << import;
    }
}

// Every record's values show whole, the widest far down too; a batch of
// more than 200 rows is sized in the progress window; 加急, empty in every
// record, comes out closed.
TEST_F(BatchPanelTest, EveryRecordShowsWholeAndALongBatchIsSizedInTheProgressWindow)
{
    const struct {
        int records;
        bool counted;
    } cases[] = {{5, false}, {300, true}};
    for (const auto& c : cases) {
        QString text = "户名,金额,备注,加急\r\n";
        for (int r = 1; r <= c.records; ++r)
            text += QStringLiteral("客户%1,%2,%3,\r\n").arg(r).arg(r * 11).arg(r == c.records - 1 ? "O'Brien LONGVALUE" : "备注");
        ASSERT_TRUE(WriteBytes(csv, Gbk(text)));
        ProgressWatch watch;
        Window& w = Open();
        ImportCsv(w, csv, QString::number(c.records + 1));
        ASSERT_EQ(w.panel->Batch().RecordCount(), c.records);
        EXPECT_EQ(CutShortCells(*w.panel->grid), QStringList()) << c.records;
        EXPECT_EQ(watch.titles.contains("正在做交易数据表格进行格式设置……"), c.counted) << c.records;
        for (int m = 0; m < w.panel->Batch().BoxColumnCount(); ++m) EXPECT_EQ(w.panel->Batch().ColumnShown(m), m != 3) << m;
        window.reset();
    }
}

TEST_F(BatchPanelTest, DeletingRemovesTheSelectedRecordsAndClearingAllStopsTheBar)
{
    Window& w = Import();
    bool printAll = true;
    QObject::connect(w.panel, &BatchPanel::printAllEnabledChanged, [&](bool on) { printAll = on; });
    w.mw.tabs->setCurrentIndex(1);
    ClickRow(w.panel->grid, 0);
    ClickRow(w.panel->grid, 4, Qt::ControlModifier);
    ScriptedPrompter prompts;
    Click(w.panel->deleteButton);
    EXPECT_EQ(prompts.shown, QStringList{"您确定要删除第1、第5行？"});
    const BatchDataSet& set = w.panel->Batch();
    ASSERT_EQ(set.RecordCount(), 3);
    EXPECT_EQ(set.RecordValues(3).value(0), "赵六");
    EXPECT_EQ(w.panel->countLabel->text(), "3");
    EXPECT_EQ(w.Value(1), "李四");  // the first left is shown

    Click(w.panel->clearButton);
    EXPECT_EQ(prompts.shown.last(), "您确定要清除所有记录？");
    EXPECT_EQ(set.RecordCount(), 0);
    EXPECT_FALSE(printAll);
    EXPECT_EQ(w.panel->shownLabel->text(), "1");
    EXPECT_FALSE(w.panel->recordScroll->isEnabled());
    EXPECT_FALSE(w.panel->deleteButton->isEnabled());
    EXPECT_EQ(w.Value(1), "李四");  // the slip keeps what it shows
    EXPECT_TRUE(w.mw.tabs->isTabEnabled(1));  // still loaded: import again from here
}

TEST_F(BatchPanelTest, OpeningAnotherFormatEmptiesTheBatchAndKeepsItsTab)
{
    Window& w = Import();
    w.mw.tabs->setCurrentIndex(1);
    ASSERT_TRUE(w.mw.Commands().ChooseFormat("农行", false));
    EXPECT_EQ(w.panel->Batch().RecordCount(), 0);
    EXPECT_EQ(w.panel->Batch().BoxColumnCount(), 0);
    EXPECT_TRUE(w.mw.tabs->isTabEnabled(1));
    EXPECT_EQ(w.mw.tabs->currentIndex(), 1);
    EXPECT_FALSE(w.panel->recordBar->isVisible());
}

