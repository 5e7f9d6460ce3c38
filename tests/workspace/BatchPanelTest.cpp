#include "BatchUiSupport.h"
#include "ModalScript.h"
#include "ScriptedFileDialog.h"
#include "ScriptedPrompter.h"
#include "TestHome.h"

#include "batch/BatchImport.h"
#include "batch/CsvReader.h"
#include "batch/Workbook.h"
#include "storage/FormatStore.h"
#include "storage/MappingStore.h"
#include "workspace/BatchImportCommand.h"
#include "workspace/BatchPanel.h"
#include "ui/FrozenColumnView.h"
#include "workspace/MainWindow.h"
#include "workspace/SheetPreviewModel.h"

#include <QAction>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTabWidget>
#include <gtest/gtest.h>

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

// Clicks the scroll bar's arrow that steps one record on.
void StepOn(QScrollBar* bar)
{
    QStyleOptionSlider opt;
    opt.initFrom(bar);
    opt.subControls = QStyle::SC_All;
    opt.orientation = bar->orientation();
    opt.minimum = bar->minimum();
    opt.maximum = bar->maximum();
    opt.sliderPosition = bar->sliderPosition();
    opt.sliderValue = bar->value();
    opt.singleStep = bar->singleStep();
    opt.pageStep = bar->pageStep();
    const QRect add = bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarAddLine, bar);
    ASSERT_FALSE(add.isEmpty());
    QTest::mouseClick(bar, Qt::LeftButton, {}, add.center());
}

void ClickRow(QTableView* view, int row, Qt::KeyboardModifiers mods = {})
{
    const QModelIndex cell = view->model()->index(row, 2);
    view->scrollTo(cell);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, mods, view->visualRect(cell).center());
}

} // namespace

TEST(BatchPanel, TheTabWaitsForABatchAndTheRecordBarIsHiddenUntilThen)
{
    TestHome home;
    MakeFormats();
    Window w;
    EXPECT_EQ(w.mw.tabs->tabText(1), "批量数据");
    EXPECT_EQ(w.mw.tabs->widget(1), w.panel);
    EXPECT_FALSE(w.mw.tabs->isTabEnabled(1));
    EXPECT_FALSE(w.panel->recordBar->isVisible());
    EXPECT_TRUE(w.mw.importBatchAction->isEnabled());
    EXPECT_EQ(w.mw.CurrentBatch(), &w.panel->Batch());
    EXPECT_EQ(w.mw.CurrentBatch()->RecordCount(), 0);
}

TEST(BatchPanel, AGbkCsvImportPutsTheFirstRecordOnTheSlipConverted)
{
    TestHome home;
    MakeFormats();
    const QString csv = home.file("收款.csv");
    ASSERT_TRUE(WriteBytes(csv, CsvText()));
    Window w;
    bool printAll = false;
    QObject::connect(w.panel, &BatchPanel::printAllEnabledChanged, [&](bool on) { printAll = on; });
    ImportCsv(w, csv);
    const BatchDataSet& set = *w.mw.CurrentBatch();
    ASSERT_EQ(set.RecordCount(), 5);
    EXPECT_EQ(set.Value(1, 0), "张三");
    EXPECT_EQ(set.Value(1, 2), "第一行//第二行");
    EXPECT_EQ(set.Value(5, 0), "钱七");
    EXPECT_TRUE(w.mw.tabs->isTabEnabled(1));
    EXPECT_TRUE(w.panel->recordBar->isVisible());
    EXPECT_TRUE(printAll);
    // Record 1 on the slip: the amount converted as on leaving its box, the
    // marker a line break again, the check box ticked.
    EXPECT_EQ(w.Value(1), "张三");
    EXPECT_EQ(w.Value(2), "￥1,234.50");
    EXPECT_EQ(w.Value(3), "第一行\n第二行");
    EXPECT_EQ(w.Value(1001), "1");
    EXPECT_EQ(w.panel->shownLabel->text(), "1");
    EXPECT_EQ(w.panel->countLabel->text(), "5");
    EXPECT_TRUE(w.panel->recordScroll->isEnabled());
    EXPECT_EQ(w.panel->recordScroll->maximum(), 5);
}

TEST(BatchPanel, SteppingThroughTheRecordsPutsEachOnTheSlip)
{
    TestHome home;
    MakeFormats();
    const QString csv = home.file("收款.csv");
    ASSERT_TRUE(WriteBytes(csv, CsvText()));
    Window w;
    ImportCsv(w, csv);
    QScrollBar* bar = w.panel->recordScroll;
    StepOn(bar);
    EXPECT_EQ(bar->value(), 2);
    EXPECT_EQ(w.Value(1), "李四");
    EXPECT_EQ(w.Value(2), "￥88.00");
    EXPECT_EQ(w.Value(3), "普通");
    EXPECT_EQ(w.Value(1001), "");
    EXPECT_EQ(w.panel->shownLabel->text(), "2");
    EXPECT_EQ(w.panel->countLabel->text(), "5");
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(w.Value(1), "钱七");
    EXPECT_EQ(w.panel->shownLabel->text(), "5");
    // Picking a row in the grid shows that record too.
    ClickRow(w.panel->grid, 2);
    EXPECT_EQ(w.Value(1), "王五");
    EXPECT_EQ(w.Value(1001), "1");
    EXPECT_EQ(bar->value(), 3);
    EXPECT_EQ(w.panel->shownLabel->text(), "3");
    // The bar leaves the keys to the slip.
    EXPECT_EQ(bar->focusPolicy(), Qt::NoFocus);
}

TEST(BatchPanel, AClosedColumnKeepsItsTextBoxAsTyped)
{
    TestHome home;
    MakeFormats();
    const QString csv = home.file("收款.csv");
    ASSERT_TRUE(WriteBytes(csv, CsvText()));
    Window w;
    ImportCsv(w, csv);
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

TEST(BatchPanel, AnXlsxImportGoesThroughTheWorksheetChooser)
{
    TestHome home;
    MakeFormats();
    const QString path = home.file("批量.xlsx");
    ASSERT_TRUE(WriteXlsx(path, {{"说明", {{"本表无数据"}}},
                                 {"明细", {{"户名", "金额", "备注", "加急"},
                                           {"张三", "1234.5", "甲", "是"},
                                           {"李四", "2.5", "乙", ""},
                                           {"王五", "100", "丙", "是"}}}}));
    Window w;
    ScriptedFileDialog files;
    files.answers = {path};
    ModalScript script;
    script.Expect<WorksheetChooser>([](WorksheetChooser& c) {
        PressSheetRow(c, 1);
        Click(c.okButton);
    });
    script.Expect<ImportMapDialog>([](ImportMapDialog& d) {
        EXPECT_EQ(d.PreviewModel().Cell(1, 1), "户名");
        MapAll(d, "4");
    });
    // The panel's tab opens with the first batch: the first import is the menu's.
    EXPECT_FALSE(w.panel->isEnabled());
    w.mw.importBatchAction->trigger();
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(script.unexpected.isEmpty());
    ASSERT_EQ(files.requests.size(), 1u);
    EXPECT_TRUE(files.requests[0].filter.contains("*.xlsx"));
    EXPECT_TRUE(files.requests[0].filter.contains("*.csv"));
    EXPECT_FALSE(files.requests[0].save);
    const BatchDataSet& set = w.panel->Batch();
    ASSERT_EQ(set.RecordCount(), 3);
    EXPECT_EQ(set.Value(2, 1), "2.5");
    EXPECT_EQ(set.Value(3, 0), "王五");
    EXPECT_EQ(w.Value(1), "张三");
    EXPECT_EQ(w.Value(2), "￥1,234.50");
    w.panel->recordScroll->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(w.Value(2), "￥2.50");
    EXPECT_EQ(w.Value(1001), "");
}

TEST(BatchPanel, ThePathIsOpenedInTheLetterCaseItWasChosenIn)
{
    TestHome home;
    MakeFormats();
    ASSERT_TRUE(QDir(home.path()).mkdir("Mixed"));
    const QString csv = home.file("Mixed/Data.CSV");
    ASSERT_TRUE(WriteBytes(csv, CsvText()));
    Window w;
    ImportCsv(w, csv, "3");
    EXPECT_EQ(w.panel->Batch().RecordCount(), 2);
    EXPECT_EQ(w.Value(1), "张三");
}

TEST(BatchPanel, DeletingSelectedRecordsAsksAndRenumbers)
{
    TestHome home;
    MakeFormats();
    const QString csv = home.file("收款.csv");
    ASSERT_TRUE(WriteBytes(csv, CsvText()));
    Window w;
    ImportCsv(w, csv);
    w.mw.tabs->setCurrentIndex(1);
    ClickRow(w.panel->grid, 1);
    ClickRow(w.panel->grid, 2, Qt::ShiftModifier);
    ScriptedPrompter prompts;
    prompts.answers = {PromptAnswer::No};
    Click(w.panel->deleteButton);
    EXPECT_EQ(prompts.shown, QStringList{"您确定要删除第2至第3行？"});
    EXPECT_EQ(w.panel->Batch().RecordCount(), 5);

    ClickRow(w.panel->grid, 1);
    ClickRow(w.panel->grid, 2, Qt::ShiftModifier);
    prompts.answers = {PromptAnswer::Yes};
    Click(w.panel->deleteButton);
    const BatchDataSet& set = w.panel->Batch();
    ASSERT_EQ(set.RecordCount(), 3);
    EXPECT_EQ(set.Value(1, 0), "张三");
    EXPECT_EQ(set.Value(2, 0), "赵六");
    EXPECT_EQ(set.Value(3, 0), "钱七");
    EXPECT_EQ(set.data(set.index(2, 0)).toString(), "3");
    EXPECT_EQ(w.panel->countLabel->text(), "3");
    EXPECT_EQ(w.panel->shownLabel->text(), "1");
    EXPECT_EQ(w.Value(1), "张三");
    w.panel->recordScroll->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(w.Value(1), "赵六");
}

TEST(BatchPanel, DeletingDownToOneRecordOrClearingAllStopsTheBar)
{
    TestHome home;
    MakeFormats();
    const QString csv = home.file("收款.csv");
    ASSERT_TRUE(WriteBytes(csv, CsvText()));
    Window w;
    ImportCsv(w, csv, "3");
    bool printAll = true;
    QObject::connect(w.panel, &BatchPanel::printAllEnabledChanged, [&](bool on) { printAll = on; });
    w.mw.tabs->setCurrentIndex(1);
    ClickRow(w.panel->grid, 0);
    ScriptedPrompter prompts;
    Click(w.panel->deleteButton);
    EXPECT_EQ(w.panel->Batch().RecordCount(), 1);
    EXPECT_FALSE(w.panel->recordScroll->isEnabled());
    EXPECT_FALSE(printAll);
    EXPECT_EQ(w.Value(1), "李四");  // the one left is shown

    Click(w.panel->clearButton);
    EXPECT_EQ(prompts.shown.last(), "您确定要清除所有记录？");
    EXPECT_EQ(w.panel->Batch().RecordCount(), 0);
    EXPECT_EQ(w.panel->shownLabel->text(), "1");
    EXPECT_EQ(w.panel->countLabel->text(), "1");
    EXPECT_FALSE(w.panel->recordScroll->isEnabled());
    EXPECT_FALSE(w.panel->deleteButton->isEnabled());
    EXPECT_EQ(w.Value(1), "李四");  // the slip keeps what it shows
    EXPECT_TRUE(w.mw.tabs->isTabEnabled(1));  // still loaded: import again from here
}

TEST(BatchPanel, ClearingAsksAndNoKeepsTheRecords)
{
    TestHome home;
    MakeFormats();
    const QString csv = home.file("收款.csv");
    ASSERT_TRUE(WriteBytes(csv, CsvText()));
    Window w;
    ImportCsv(w, csv);
    ScriptedPrompter prompts;
    prompts.answers = {PromptAnswer::No};
    Click(w.panel->clearButton);
    EXPECT_EQ(w.panel->Batch().RecordCount(), 5);
}

TEST(BatchPanel, CancellingTheChooserOrTheMappingImportsNothing)
{
    TestHome home;
    MakeFormats();
    const QString csv = home.file("收款.csv");
    ASSERT_TRUE(WriteBytes(csv, CsvText()));
    const QString book = home.file("表.xlsx");
    ASSERT_TRUE(WriteXlsx(book, {{"甲", {{"x"}, {"张三"}}}}));
    Window w;
    ImportCsv(w, csv, "3");
    ASSERT_EQ(w.panel->Batch().RecordCount(), 2);
    {
        // The file dialog cancelled.
        ScriptedFileDialog files;
        ModalScript script;
        Click(w.panel->importButton);
        EXPECT_EQ(files.requests.size(), 1u);
        EXPECT_TRUE(script.unexpected.isEmpty());
    }
    {
        // The worksheet chooser cancelled: no mapping dialog follows.
        ScriptedFileDialog files;
        files.answers = {book};
        ModalScript script;
        script.Expect<WorksheetChooser>([](WorksheetChooser& c) { Click(c.cancelButton); });
        Click(w.panel->importButton);
        EXPECT_TRUE(script.Done());
        EXPECT_TRUE(script.unexpected.isEmpty());
    }
    {
        // The mapping cancelled, with a range that would have imported more.
        ScriptedFileDialog files;
        files.answers = {csv};
        ModalScript script;
        script.Expect<ImportMapDialog>([](ImportMapDialog& d) {
            SetRows(d, "2", "6", "1");
            Click(d.cancelButton);
        });
        Click(w.panel->importButton);
        EXPECT_TRUE(script.Done());
    }
    EXPECT_EQ(w.panel->Batch().RecordCount(), 2);
    EXPECT_EQ(w.panel->countLabel->text(), "2");
}

TEST(BatchPanel, BadFilesAreToldAndTheOldBatchStays)
{
    TestHome home;
    MakeFormats();
    const QString csv = home.file("收款.csv");
    ASSERT_TRUE(WriteBytes(csv, CsvText()));
    const QString binary = home.file("照片.csv");
    ASSERT_TRUE(WriteBytes(binary, QByteArray("\xff\xd8\xff\xe0\0\x10JFIF\0\x01\x01\0\0\x01", 16)));
    const QString undecodable = home.file("乱码.csv");
    ASSERT_TRUE(WriteBytes(undecodable, QByteArray("\x81\x20\xfe\xff,\xff\xff\r\n")));
    const QString corrupt = home.file("损坏.xlsx");
    ASSERT_TRUE(WriteBytes(corrupt, QByteArray("PK\x03\x04\x14\0\0\0 broken", 16)));
    const QString fakeXls = home.file("文本.xls");
    ASSERT_TRUE(WriteBytes(fakeXls, "a,b\r\n"));
    const QString other = home.file("说明.txt");
    ASSERT_TRUE(WriteBytes(other, "a,b\r\n"));
    Window w;
    ImportCsv(w, csv, "3");
    ASSERT_EQ(w.panel->Batch().RecordCount(), 2);
    w.panel->recordScroll->triggerAction(QAbstractSlider::SliderSingleStepAdd);

    struct Case {
        QString path;
        QString message;
    };
    const Case cases[] = {
        {home.file("无此文件.csv"), CsvImportError()},
        {binary, CsvImportError()},
        {undecodable, CsvImportError()},
        {corrupt, ListWorksheets(corrupt).error},
        {fakeXls, WorkbookDamagedError()},
        {other, UnsupportedImportFileError()},
    };
    for (const Case& c : cases) {
        ScriptedPrompter prompts;
        ScriptedFileDialog files;
        files.answers = {c.path};
        ModalScript script;  // no dialog may open
        Click(w.panel->importButton);
        ASSERT_FALSE(c.message.isEmpty());
        EXPECT_EQ(prompts.shown, QStringList{c.message}) << c.path.toStdString();
        EXPECT_TRUE(script.unexpected.isEmpty()) << c.path.toStdString();
        EXPECT_EQ(w.panel->Batch().RecordCount(), 2);
        EXPECT_EQ(w.panel->Batch().Value(2, 0), "李四");
        EXPECT_EQ(w.panel->shownLabel->text(), "2");  // the record shown stays
    }
}

TEST(BatchPanel, AFileThatGoesBadAfterMappingIsToldAndTheOldBatchStays)
{
    TestHome home;
    MakeFormats();
    const QString csv = home.file("收款.csv");
    ASSERT_TRUE(WriteBytes(csv, CsvText()));
    Window w;
    ImportCsv(w, csv, "3");
    ScriptedPrompter prompts;
    ScriptedFileDialog files;
    files.answers = {csv};
    ModalScript script;
    script.Expect<ImportMapDialog>([&](ImportMapDialog& d) {
        // Another program overwrites the file while the operator maps it.
        ASSERT_TRUE(WriteBytes(csv, QByteArray("\0\0\0\0binary", 10)));
        MapAll(d, "6");
    });
    Click(w.panel->importButton);
    EXPECT_EQ(prompts.shown, QStringList{CsvImportError()});
    EXPECT_EQ(w.panel->Batch().RecordCount(), 2);
}

TEST(BatchPanel, OpeningAnotherFormatEmptiesTheBatchAndClosesTheTab)
{
    TestHome home;
    MakeFormats();
    const QString csv = home.file("收款.csv");
    ASSERT_TRUE(WriteBytes(csv, CsvText()));
    Window w;
    ImportCsv(w, csv);
    w.mw.tabs->setCurrentIndex(1);
    ASSERT_TRUE(w.mw.Commands().ChooseFormat("农行", false));
    EXPECT_EQ(w.panel->Batch().RecordCount(), 0);
    EXPECT_EQ(w.panel->Batch().BoxColumnCount(), 0);
    EXPECT_FALSE(w.mw.tabs->isTabEnabled(1));
    EXPECT_EQ(w.mw.tabs->currentIndex(), 0);
    EXPECT_FALSE(w.panel->recordBar->isVisible());
}

TEST(FrozenColumnView, TheRunningNumberStaysInViewAndFollowsTheRows)
{
    BatchDataSet set;
    QVector<BatchColumn> columns;
    for (int m = 0; m < 30; ++m) columns << BatchColumn{100 + m, m + 1, QString("第%1列").arg(m + 1)};
    QVector<QStringList> records;
    for (int r = 1; r <= 200; ++r) {
        QStringList values;
        for (int m = 0; m < 30; ++m) values << QString("记录%1的第%2列内容").arg(r).arg(m + 1);
        records << values;
    }
    set.Reset(columns, records);
    FrozenColumnView view;
    view.setModel(&set);
    view.verticalHeader()->hide();
    view.resize(500, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.resizeColumnsToContents();
    QTableView* frozen = view.FrozenView();
    ASSERT_TRUE(frozen->isVisible());
    for (int c = 1; c < set.columnCount(); ++c) EXPECT_TRUE(frozen->isColumnHidden(c));
    QApplication::processEvents();
    EXPECT_EQ(frozen->width(), view.columnWidth(0));
    EXPECT_EQ(frozen->x(), view.frameWidth());

    // Down: the overlay scrolls with the table's rows.
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() / 2);
    EXPECT_EQ(frozen->verticalScrollBar()->value(), view.verticalScrollBar()->value());
    const int y = view.viewport()->height() / 2;
    const QModelIndex inTable = view.indexAt(QPoint(view.columnWidth(0) + 5, y));
    const QModelIndex inOverlay = frozen->indexAt(QPoint(5, y));
    ASSERT_TRUE(inTable.isValid());
    EXPECT_EQ(inOverlay.row(), inTable.row());
    EXPECT_EQ(inOverlay.column(), 0);
    EXPECT_EQ(inOverlay.data().toString(), QString::number(inTable.row() + 1));

    // Sideways: the table's first column moves out, the overlay stays.
    view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
    ASSERT_GT(view.horizontalScrollBar()->value(), 0);
    EXPECT_GT(view.columnAt(view.columnWidth(0) + 5), 1);
    EXPECT_EQ(frozen->x(), view.frameWidth());
    EXPECT_EQ(frozen->indexAt(QPoint(5, y)).row(), inTable.row());

    // Scrolling the overlay (the wheel over it) moves the table too.
    frozen->verticalScrollBar()->setValue(0);
    EXPECT_EQ(view.verticalScrollBar()->value(), 0);
    // A taller row in the table is as tall in the overlay.
    view.setRowHeight(3, 57);
    EXPECT_EQ(frozen->rowHeight(3), 57);
    // A wider first column widens the overlay.
    view.setColumnWidth(0, 90);
    EXPECT_EQ(frozen->width(), 90);
    // A new batch of fewer columns keeps only the first in the overlay.
    set.Reset({columns[0]}, {{"一"}});
    EXPECT_FALSE(frozen->isColumnHidden(0));
    EXPECT_TRUE(frozen->isColumnHidden(1) || set.columnCount() == 2);
    EXPECT_EQ(frozen->model()->rowCount(), 1);
}

TEST(FrozenColumnView, SelectingInTheOverlaySelectsTheTablesRow)
{
    BatchDataSet set;
    set.Reset({{1, 1, "户名"}, {2, 2, "金额"}}, {{"张三", "1"}, {"李四", "2"}, {"王五", "3"}});
    FrozenColumnView view;
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.FrozenView()->setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setModel(&set);
    view.resize(400, 200);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QTableView* frozen = view.FrozenView();
    const QRect cell = frozen->visualRect(set.index(1, 0));
    QTest::mouseClick(frozen->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(view.selectionModel(), frozen->selectionModel());
    EXPECT_TRUE(view.selectionModel()->isRowSelected(1, {}));
    EXPECT_EQ(view.currentIndex().row(), 1);
}
