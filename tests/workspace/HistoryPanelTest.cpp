#include "DamagedTable.h"
#include "GridExportTestSupport.h"
#include "ScriptedFileDialog.h"
#include "ProgressWatch.h"
#include "ScriptedPrompter.h"
#include "StoredFormats.h"
#include "GridCells.h"
#include "TestHome.h"
#include "Typing.h"

#include "ui/FrozenColumnView.h"
#include "ui/Progress.h"
#include "workspace/HistoryPanel.h"
#include "workspace/MainWindow.h"
#include "workspace/SlipView.h"

#include <QHeaderView>
#include <QTest>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QPlainTextEdit>
#include <QLineEdit>

using namespace slip;

namespace {

using M = HistoryTableModel;
const QString kFormat = QStringLiteral("进账单");

// The boxes of the test format, in the order SaveFormatWithBoxes answers their IDs.
enum BoxNo { Payer, Account, Amount, Urgent, Barcode, PayeeLabel, Rule, Note, kBoxCount };
const QVector<test::BoxSpec> kBoxes{
    {BoxKind::Text, "户名"},    {BoxKind::Text, "账号"},    {BoxKind::Text, "金额"},
    {BoxKind::Check, "加急"},   {BoxKind::Picture, "条码"}, {BoxKind::Label, "收款人"},
    {BoxKind::Line, "分隔线"},  {BoxKind::Text, "附言"},
};

qint64 Store(const QString& format, const QVector<std::pair<BoxId, QString>>& values)
{
    HistorySlip slip;
    for (const auto& [id, v] : values) slip.push_back({id, v});
    const HistorySaveResult r = SaveHistoryRecord(format, slip);
    EXPECT_TRUE(r.ok) << r.error.toStdString();
    return r.slipNumber;
}

int StoredSlips(const QString& format) { return int(HistorySlipNumbersOf(format).numbers.size()); }

QString Header(const M& m, int c) { return m.headerData(c, Qt::Horizontal).toString(); }

class HistoryPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        id = test::SaveFormatWithBoxes(kFormat, kBoxes);
        ASSERT_EQ(id.size(), kBoxCount);
    }

    void ShowPanel(const QString& name = kFormat)
    {
        test::OpenStoredFormat(format, name);
        panel = std::make_unique<HistoryPanel>(format);
        panel->resize(900, 420);
        panel->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.get()));
    }

    M& model() { return *panel->model; }
    FrozenColumnView& grid() { return *panel->grid; }

    // A cell as the list shows it.
    QString Shown(int row, int column)
    {
        auto* d = qobject_cast<QStyledItemDelegate*>(grid().itemDelegate());
        return d->displayText(model().index(row, column).data(), grid().locale());
    }
    QStringList RunningNumbers()
    {
        QStringList out;
        for (int r = 0; r < model().rowCount(); ++r) out << Shown(r, M::kRunningNumberColumn);
        return out;
    }

    // A click on a row of the list, as the operator makes it.
    void ClickRow(int row, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        const QModelIndex at = model().index(row, M::kFirstBoxColumn);
        grid().scrollTo(at);
        QTest::mouseClick(grid().viewport(), Qt::LeftButton, mods, grid().visualRect(at).center());
    }
    void Press(QPushButton* b)
    {
        ASSERT_TRUE(b->isEnabled()) << b->text().toStdString();
        QTest::mouseClick(b, Qt::LeftButton);
    }
    int SelectedOnly()
    {
        const QVector<int> rows = panel->SelectedRows();
        return rows.size() == 1 ? rows.first() : -1;
    }

    test::TestHome home;
    QVector<BoxId> id;
    SlipFormat format;
    std::unique_ptr<HistoryPanel> panel;
};

} // namespace

TEST_F(HistoryPanelTest, ShowsLineBreaksAsTheMarkerWithTheRunningNumbersFrozenAndEveryCaptionReadable)
{
    Store(kFormat, {{id[Payer], "张三"}, {id[Amount], "100.00"}});
    Store(kFormat, {{id[Payer], "王五\r\n分行"}, {id[Urgent], "1"}});
    ShowPanel();
    ASSERT_EQ(model().rowCount(), 2);
    EXPECT_TRUE(grid().isColumnHidden(M::kSlipNumberColumn));
    EXPECT_FALSE(grid().FrozenView()->isColumnHidden(M::kRunningNumberColumn));
    EXPECT_EQ(grid().FrozenWidth(), grid().columnWidth(M::kRunningNumberColumn));
    EXPECT_EQ(Shown(0, 2), "王五//分行");
    panel->SetLineBreakMarkerSource([] { return QStringLiteral("⏎"); });
    EXPECT_EQ(Shown(0, 2), "王五⏎分行");
    // Every column shows its whole caption, also one without any text.
    const QFontMetrics fm(grid().horizontalHeader()->font());
    for (int c = 1; c < model().columnCount(); ++c)
        EXPECT_GE(grid().columnWidth(c), fm.horizontalAdvance(Header(model(), c))) << c;
    // A click on the running numbers' caption fits the columns again (to
    // the marker now in force).
    QHeaderView* fixed = grid().FrozenView()->horizontalHeader();
    auto clickFixedCaption = [&] {
        QTest::mouseClick(fixed->viewport(), Qt::LeftButton, {},
                          QPoint(fixed->sectionViewportPosition(M::kRunningNumberColumn) + 2, fixed->height() / 2));
    };
    clickFixedCaption();
    const int fitted = grid().columnWidth(2);
    EXPECT_EQ(test::CutShortCells(grid()), QStringList());
    grid().setColumnWidth(2, fitted + 200);
    clickFixedCaption();
    EXPECT_EQ(grid().columnWidth(2), fitted);
    EXPECT_TRUE(panel->clearButton->isEnabled());
    EXPECT_FALSE(panel->deleteButton->isEnabled());  // nothing selected yet
}

TEST_F(HistoryPanelTest, TheListIsASnapshotReadAgainWhenShownAndWhenTheFormatChanges)
{
    Store(kFormat, {{id[Payer], "一"}});
    Store(QStringLiteral("电汇单"), {{id[Payer], "电汇"}});
    ShowPanel();
    ASSERT_EQ(model().rowCount(), 1);

    Store(kFormat, {{id[Payer], "二"}});
    EXPECT_EQ(model().rowCount(), 1);  // a snapshot until shown again
    Store(kFormat, {{id[Payer], "三"}});
    panel->hide();
    panel->show();
    EXPECT_EQ(model().rowCount(), 3);
    EXPECT_EQ(Shown(0, 2), "三");

    // A box saved into the format gets its column.
    format.AddBox(NewBoxOfKind(BoxKind::Text, QPointF(150, 80)));
    QHash<BoxId, BoxId> ids;
    ASSERT_TRUE(FormatStore::Save(format, kFormat, false, 15360, ids).ok);
    format.ApplySavedIds(ids);
    EXPECT_EQ(model().columnCount(), 11);

    // A history that can't be read is told and lists nothing.
    test::DamageTable("历史");
    ScriptedPrompter prompts;
    panel->LoadHistoryList();
    EXPECT_EQ(prompts.shown, QStringList{"数据库打开错误(SELECT ID, CID, Con FROM 历史 WHERE Fmt='进账单' AND ID BETWEEN 1 AND 3)！"});
    EXPECT_EQ(model().rowCount(), 0);

    // No format: an empty list and no commands.
    format.Load(FormatHeader(), {});
    EXPECT_EQ(model().rowCount(), 0);
    EXPECT_FALSE(panel->exportButton->isEnabled());
    EXPECT_FALSE(panel->clearButton->isEnabled());
    EXPECT_FALSE(panel->searchButton->isEnabled());
}

TEST_F(HistoryPanelTest, ACaptionClickSortsByThatColumnAlternatingItsMark)
{
    // The payers' column holds text, so that it is wide enough to click.
    for (const char* amount : {"9.50", "100.00", "20"})
        Store(kFormat, {{id[Amount], QString::fromUtf8(amount)}, {id[Payer], QStringLiteral("户名甲")}});
    ShowPanel();
    auto click = [&](int column) {
        QHeaderView* h = grid().horizontalHeader();
        grid().scrollTo(model().index(0, column));
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                          QPoint(h->sectionViewportPosition(column) + h->sectionSize(column) / 2, h->height() / 2));
    };
    auto column = [&] { return QStringList{Shown(0, 4), Shown(1, 4), Shown(2, 4)}; };
    click(4);
    EXPECT_EQ(Header(model(), 4), "金额△");
    EXPECT_EQ(column(), (QStringList{"9.50", "20", "100.00"}));
    click(4);
    EXPECT_EQ(Header(model(), 4), "金额▽");
    click(2);
    EXPECT_EQ(Header(model(), 4), "金额");
    EXPECT_EQ(Header(model(), 2), "户名△");
}

TEST_F(HistoryPanelTest, SeveralRowsGoToTheReprintOneSlipEachTopToBottomAndNoHistoryIsAdded)
{
    Store(kFormat, {{id[Payer], "张三"}, {id[Amount], "1.00"}});
    Store(kFormat, {{id[Payer], "李四"}, {id[Urgent], "1"}});
    Store(kFormat, {{id[Payer], "王五\r\n分行"}, {id[Barcode], "6901234567892"}});
    Store(kFormat, {{id[Payer], "赵六"}});
    ShowPanel();
    int wanted = 0;
    QObject::connect(panel.get(), &HistoryPanel::slipWanted, [&] { ++wanted; });
    QVector<QHash<BoxId, QString>> printed;
    panel->SetReprint([&](const QVector<QHash<BoxId, QString>>& slips) {
        printed = slips;
        return true;
    });
    format.SetValue(id[Amount], "正在填写");

    ClickRow(1);
    ClickRow(3, Qt::ShiftModifier);
    EXPECT_EQ(panel->SelectedRows(), (QVector<int>{1, 2, 3}));
    Press(panel->printButton);
    EXPECT_EQ(wanted, 1);
    ASSERT_EQ(printed.size(), 3);
    // Rows 2 to 4 hold slips 3, 2 and 1.
    EXPECT_EQ(printed[0].value(id[Payer]), "王五\r\n分行");
    EXPECT_EQ(printed[1].value(id[Payer]), "李四");
    EXPECT_EQ(printed[2].value(id[Payer]), "张三");
    EXPECT_EQ(printed[2].value(id[Amount]), "1.00");
    EXPECT_EQ(StoredSlips(kFormat), 4);
    // The canvas keeps the last slip handled.
    EXPECT_EQ(format.Value(id[Payer]), "张三");
    EXPECT_EQ(format.Value(id[Amount]), "1.00");
}

TEST(HistoryTab, OneSelectedRowStandsOnTheCanvasPastTheBoxBeingTypedIn)
{
    test::TestHome home;
    const QVector<BoxId> id = test::SaveFormatWithBoxes(kFormat, kBoxes);
    Store(kFormat, {{id[Payer], "张三"}, {id[Account], "6222001"}, {id[Urgent], "1"}});
    Store(kFormat, {{id[Payer], "李四\r\n二行"}, {id[Barcode], "6901234567892"}});
    ASSERT_TRUE(FormatStore::SaveCurrentFormatState(kFormat, {}).ok);
    MainWindow mw;
    mw.resize(1000, 700);
    mw.Start();
    ASSERT_EQ(mw.Format().Name(), kFormat);
    ASSERT_TRUE(mw.tabs->isTabEnabled(2));
    SlipFormat& f = mw.Format();
    f.SetValue(id[Amount], "50.00");
    f.SetValue(id[Urgent], "1");
    // The operator is typing in the account box when going to the history.
    mw.Canvas()->EditBox(id[Account]);
    test::TypeText(mw.Canvas()->Editor(), "99");
    ASSERT_EQ(f.Value(id[Account]), "99");

    mw.tabs->setCurrentIndex(2);
    HistoryPanel& panel = *mw.historyPanel;
    ASSERT_EQ(panel.model->rowCount(), 2);
    const QModelIndex row0 = panel.model->index(0, M::kFirstBoxColumn);
    QTest::mouseClick(panel.grid->viewport(), Qt::LeftButton, {}, panel.grid->visualRect(row0).center());
    QTest::mouseClick(panel.printButton, Qt::LeftButton);

    EXPECT_EQ(mw.tabs->currentIndex(), 0);
    EXPECT_TRUE(mw.Canvas()->Editor()->isHidden());
    EXPECT_EQ(f.Value(id[Payer]), "李四\r\n二行");
    // Boxes the slip holds nothing for are emptied, the tick taken off.
    EXPECT_EQ(f.Value(id[Account]), "");
    EXPECT_EQ(f.Value(id[Amount]), "");
    EXPECT_EQ(f.Value(id[Urgent]), "");
    EXPECT_EQ(StoredSlips(kFormat), 2);

    mw.close();
}

TEST_F(HistoryPanelTest, DeletingAsksByRowNumbersThenTheSelectedOrEveryRowGoes)
{
    for (int i = 1; i <= 5; ++i) Store(kFormat, {{id[Payer], QStringLiteral("户%1").arg(i)}});
    Store(QStringLiteral("电汇单"), {{id[Payer], "别的"}});
    ShowPanel();
    ScriptedPrompter prompts;
    prompts.answers = {PromptAnswer::No, PromptAnswer::Yes, PromptAnswer::Yes};
    // Selected from the bottom up: the same question as top down.
    ClickRow(2);
    ClickRow(1, Qt::ShiftModifier);
    Press(panel->deleteButton);
    EXPECT_EQ(model().rowCount(), 5);  // No deletes nothing
    Press(panel->deleteButton);
    EXPECT_EQ(RunningNumbers(), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(HistorySlipNumbersOf(kFormat).numbers, (QVector<qint64>{5, 2, 1}));
    Store(kFormat, {{id[Payer], "刚打印的"}});  // after the list was read
    Press(panel->clearButton);
    EXPECT_EQ(prompts.shown, (QStringList{"您确定要删除第2至第3行？", "您确定要删除第2至第3行？", "您确定要删除第1至第4行？"}));
    EXPECT_EQ(prompts.icons, QList<PromptIcon>(3, PromptIcon::None)) << "Yes and No, no icon";
    EXPECT_EQ(prompts.noByDefault, prompts.shown) << "Enter keeps the slips";
    EXPECT_EQ(model().rowCount(), 0);
    EXPECT_EQ(StoredSlips(kFormat), 0);
    EXPECT_EQ(StoredSlips(QStringLiteral("电汇单")), 1);
    EXPECT_FALSE(panel->clearButton->isEnabled());
}

TEST_F(HistoryPanelTest, TheFoundRowComesToTheTopMarkedAndTheNextSearchGoesOnFromIt)
{
    QVector<HistorySlip> slips;
    for (int i = 0; i < 300; ++i) {
        HistorySlip s{{id[Payer], QStringLiteral("户名%1").arg(i)}, {id[Account], QStringLiteral("62220%1").arg(i)}};
        if (i == 40 || i == 250) s.push_back({id[Barcode], "6901234567892"});
        slips << s;
    }
    ASSERT_TRUE(SaveHistorySlips(kFormat, slips).ok);
    ShowPanel();
    panel->resize(420, 300);  // narrow: the barcode column is off to the right
    QApplication::processEvents();
    ScriptedPrompter prompts;
    test::TypeText(panel->keywordEdit, "690123456789");
    QTest::keyClick(panel->keywordEdit, Qt::Key_Return);
    ASSERT_EQ(SelectedOnly(), 299 - 250);
    Press(panel->searchButton);
    const int row = 299 - 40;
    ASSERT_EQ(SelectedOnly(), row);
    EXPECT_EQ(grid().rowAt(0), row);
    EXPECT_EQ(grid().FrozenView()->rowAt(0), row);
    const QModelIndex match = model().index(row, 7);
    EXPECT_EQ(grid().currentIndex(), match);
    const QRect cell = grid().visualRect(match);
    EXPECT_GE(cell.left(), grid().FrozenWidth());
    EXPECT_LE(cell.right(), grid().viewport()->width());

    // The matching cell is marked apart from the rest of the selected row.
    const QImage shot = grid().viewport()->grab().toImage();
    const QRect other = grid().visualRect(model().index(row, 3));
    EXPECT_EQ(shot.pixelColor(cell.bottomRight() - QPoint(3, 2)), QColor(255, 214, 90));
    EXPECT_EQ(shot.pixelColor(other.bottomRight() - QPoint(3, 2)),
              grid().palette().color(QPalette::Active, QPalette::Highlight));
    // Another click forgets the mark.
    ClickRow(row + 1);
}

TEST_F(HistoryPanelTest, EnterFindsTheNextMatchingRowAndTheOnlyOneSelectedIsNotFoundAgain)
{
    Store(kFormat, {{id[Payer], "东方"}, {id[Note], "东方红"}});
    Store(kFormat, {{id[Payer], "西方"}});
    ShowPanel();
    ScriptedPrompter prompts;
    // The newer slip is listed first. A second match in the found row is
    // passed over with the row.
    const struct {
        const char* keyword;
        int row;  // the row selected afterwards
        bool told;
    } steps[] = {{"东方", 1, false}, {"东方", 1, true}, {"方", 0, false}, {"方", 1, false}, {"西", 0, false},
                 {"西", 0, true}};
    for (const auto& s : steps) {
        panel->keywordEdit->clear();
        test::TypeText(panel->keywordEdit, QString::fromUtf8(s.keyword));
        prompts.shown.clear();
        QTest::keyClick(panel->keywordEdit, Qt::Key_Return);
        EXPECT_EQ(SelectedOnly(), s.row) << s.keyword;
        EXPECT_EQ(grid().currentIndex().row(), s.row) << s.keyword;
        EXPECT_EQ(prompts.shown, s.told ? QStringList{"没有查到相关的记录！"} : QStringList()) << s.keyword;
    }
    // Nothing found: told with no icon.
    panel->keywordEdit->clear();
    prompts.shown.clear();
    prompts.icons.clear();
    test::TypeText(panel->keywordEdit, "无此户");
    QTest::keyClick(panel->keywordEdit, Qt::Key_Return);
    EXPECT_EQ(prompts.shown, QStringList{"没有查到相关的记录！"});
    EXPECT_EQ(prompts.icons, QList<PromptIcon>{PromptIcon::None});
}

using namespace slip::test;

TEST_F(HistoryPanelTest, ExportWritesTheShownRowsAndColumnsToCsvThatReadsBack)
{
    Store(kFormat, {{id[Payer], "张三"}, {id[Account], "6222,001"}, {id[Amount], "1.00"}});
    Store(kFormat, {{id[Payer], "李四\r\n二行"}, {id[Urgent], "1"}, {id[Barcode], "说\"条码\""}});
    ShowPanel();
    ScriptedFileDialog dialog;
    ScriptedPrompter prompts;
    const QString path = home.file("历史.csv");
    dialog.answers = {path};
    Press(panel->exportButton);
    ASSERT_EQ(dialog.requests.size(), 1u);
    EXPECT_TRUE(dialog.requests[0].save);
    EXPECT_EQ(dialog.requests[0].filter, HistoryPanel::kExportFilter);
    EXPECT_EQ(dialog.requests[0].defaultName, "") << "no name preset";
    EXPECT_TRUE(prompts.shown.isEmpty()) << "a finished export says nothing";

    const QVector<QStringList> rows = ReadCsv(path);
    ASSERT_EQ(rows.size(), 3);
    const QString line = format.Find(id[Rule])->caption;
    EXPECT_EQ(rows[0], Tabbed({"序号", "户名", "账号", "金额", "附言", "加急", "条码", line, "收款人"}));
    EXPECT_EQ(rows[1], Tabbed({"1", "李四\r\n二行", "", "", "", "1", "说\"条码\"", "", ""}));
    EXPECT_EQ(rows[2], Tabbed({"2", "张三", "6222,001", "1.00", "", "", "", "", ""}));
}

TEST_F(HistoryPanelTest, ExportToANameWithoutEndingWritesAnExcel97WorkbookUnderThatName)
{
    Store(kFormat, {{id[Payer], "李四\r\n二行"}, {id[Amount], "1.00"}});
    ShowPanel();
    ScriptedFileDialog dialog;
    ScriptedPrompter prompts;
    dialog.answers = {home.file("历史")};
    Press(panel->exportButton);
    EXPECT_EQ(HistoryPanel::kExportFilter, "CSV (逗号分隔)(*.csv)|*.csv|MS Excel文件  (*.xls)|*.xls");
    EXPECT_TRUE(prompts.shown.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(home.file("历史.xls")));
    const QJsonObject book = ReadXls(home.file("历史"));
    EXPECT_EQ(book["title"].toString(), "Sorvelin进账单打印历史数据");
    ASSERT_EQ(book["rows"].toArray().size(), 2);
    EXPECT_EQ(XlsxCell(book, 0, 1)["v"].toString(), "户名\t");
    EXPECT_TRUE(XlsxCell(book, 0, 1)["bold"].toBool());
    EXPECT_EQ(XlsxCell(book, 1, 1)["v"].toString(), "李四\r\n二行\t");
    EXPECT_EQ(XlsxCell(book, 1, 3)["v"].toString(), "1.00\t");
}

// A page the list can't read after the load is told once: by the export
// that refuses to write its rows, or when the view first reads it.
TEST_F(HistoryPanelTest, APageUnreadableAfterTheLoadIsToldOnceAndNeverExportedEmpty)
{
    // With a long note, the slips past the first page of the list sorted by
    // account fill pages of the database of their own.
    QVector<HistorySlip> slips;
    for (int i = 1; i <= 300; ++i)
        slips << HistorySlip{{id[Account], QString::number(i)}, {id[Note], QString(200, u'注')}};
    ASSERT_TRUE(SaveHistorySlips(kFormat, slips).ok);
    ShowPanel();
    // A page only the newest slips need is damaged while the list is shown.
    // (A recordset stops short, with no error, at a damaged page it meets
    // after its first row: its rows are counted.)
    auto rows = [](int low, int high) {
        return OpenRecordset("SELECT ID, CID, Con FROM 历史 WHERE Fmt=? AND ID BETWEEN ? AND ?", {kFormat, low, high})
            .rows.size();
    };
    DamagePageWhere([&] {
        return rows(1, 256) == 2 * 256 && rows(257, 300) < 2 * 44 &&
               OpenRecordset("SELECT ID FROM 历史 WHERE Fmt=? AND CID=? LIMIT 1", {kFormat, id[Account]}).ok;
    });
    const QString error = "数据库打开错误(SELECT ID, CID, Con FROM 历史 WHERE Fmt='进账单' AND ID BETWEEN %1 AND %2)！";
    ScriptedPrompter prompts;
    // Sorted by account, the rows in view are of slips 1 to 256; the export
    // reads the rest.
    grid().sortByColumn(M::kFirstBoxColumn + 1, Qt::AscendingOrder);
    ScriptedFileDialog dialog;
    const QString path = home.file("历史.csv");
    ASSERT_TRUE(WriteBytes(path, "old"));
    dialog.answers = {path};
    Press(panel->exportButton);
    QTest::qWait(50);
    EXPECT_EQ(prompts.shown, (QStringList{"该文件已存在，是否覆盖？", error.arg(257).arg(300)}));
    EXPECT_EQ(FileBytes(path), "old");

    prompts.shown.clear();
    grid().sortByColumn(M::kFirstBoxColumn + 1, Qt::DescendingOrder);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !prompts.shown.isEmpty(); }));
    QTest::qWait(50);
    EXPECT_EQ(prompts.shown, QStringList{error.arg(45).arg(300)});
}

// A run cut off is asked about as one that may not have printed; a run that
// printed but whose slips the history refused (a full disk), as such.
TEST(PendingPrintRuns, AtStartTheOperatorSaysWhetherEachRunPrinted)
{
    const QString cutOff = "上次打印格式“进账单”的2张单据时程序意外中止，无法确定它们是否已经打印。\n"
                           "这些单据已经打印了吗？选“是”将它们保存到历史记录，选“否”则不保存。";
    const QString notStored = "上次打印格式“进账单”的2张单据已经打印，但没有保存到历史记录。\n"
                              "是否现在保存到历史记录？选“是”将它们保存到历史记录，选“否”则不保存"
                              "（这些单据已经重新保存过时请选“否”）。";
    // A second run, of 电汇单, is cut off and not printed.
    const struct {
        bool storeRefused;
        PromptAnswer answer;
        const QString& asked;
        int stored;
    } cases[] = {
        {false, PromptAnswer::Yes, cutOff, 2},
        {true, PromptAnswer::Yes, notStored, 2},
        {true, PromptAnswer::No, notStored, 0},
    };
    for (const auto& c : cases) {
        test::TestHome home;
        const HistoryPendingResult run = KeepPendingSlips(kFormat, {{{1, "打印了"}}, {{1, "也打印了"}}});
        ASSERT_TRUE(run.ok && KeepPendingSlips("电汇单", {{{1, "没打印"}}}).ok);
        if (c.storeRefused) {
            ASSERT_TRUE(ExecuteSql("ALTER TABLE 历史 RENAME TO 历史_kept"));
            ASSERT_FALSE(ConfirmPendingSlips(run.run).ok);
            ASSERT_TRUE(ExecuteSql("ALTER TABLE 历史_kept RENAME TO 历史"));
        }
        ScriptedPrompter prompts;
        prompts.answers = {c.answer, PromptAnswer::No};
        AskAboutPendingPrintRuns();
        ASSERT_EQ(prompts.shown.size(), 2);
        EXPECT_EQ(prompts.shown[0], c.asked);
        EXPECT_TRUE(prompts.shown[1].contains("“电汇单”的1张单据时程序意外中止")) << prompts.shown[1].toStdString();
        EXPECT_EQ(StoredSlips(kFormat), c.stored);
        EXPECT_EQ(StoredSlips("电汇单"), 0);
        AskAboutPendingPrintRuns();  // nothing left to ask
        EXPECT_EQ(prompts.shown.size(), 2);
    }
}

// The history's records are its stored values, five to a slip of five.
TEST_F(HistoryPanelTest, MoreThanThreeHundredRecordsLoadWithTheProgressWindowThenTheColumnsAreFitted)
{
    const struct {
        int slips;
        int values;
        QStringList titles;
    } cases[] = {
        {300, 1, {"正在做交易数据表格进行格式设置……"}},
        {60, 5, {}},
        {61, 5, {"正在加载历史记录……"}},
        {301, 1, {"正在加载历史记录……", "正在做交易数据表格进行格式设置……"}},
    };
    ShowPanel();
    for (const auto& c : cases) {
        ASSERT_TRUE(DeleteAllHistory(kFormat).ok);
        QVector<HistorySlip> slips(c.slips);
        for (HistorySlip& slip : slips)
            for (BoxNo box : {Payer, Account, Amount, Urgent, Note})
                if (slip.size() < c.values) slip.push_back({id[box], QStringLiteral("1")});
        ASSERT_TRUE(SaveHistorySlips(kFormat, slips).ok);
        test::ProgressWatch watch;
        panel->LoadHistoryList();
        EXPECT_EQ(watch.titles, c.titles) << c.slips << " slips of " << c.values;
        EXPECT_FALSE(ProgressWindowOpen());
        EXPECT_EQ(model().rowCount(), c.slips);
    }
}
