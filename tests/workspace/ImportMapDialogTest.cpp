#include "BatchUiSupport.h"
#include "ModalScript.h"
#include "ScriptedFileDialog.h"
#include "ScriptedPrompter.h"
#include "TestHome.h"

#include "batch/CsvReader.h"
#include "batch/Workbook.h"
#include "storage/Database.h"
#include "storage/MappingStore.h"
#include "ui/Progress.h"
#include "workspace/BatchImportCommand.h"
#include "workspace/ImportMapDialog.h"
#include "workspace/SheetPreviewModel.h"

#include <QLabel>
#include <atomic>
#include <QScrollBar>
#include <QThread>

using namespace slip;
using namespace slip::test;

namespace {

// 户名 and 金额 (text), 加急 (check), 条码 (picture).
void MakeFormat(SlipFormat& f, const QString& name = "工行")
{
    MakeStoredFormat(f, name, {{BoxKind::Text, "户名"}, {BoxKind::Text, "金额"}, {BoxKind::Check, "加急"},
                               {BoxKind::Picture, "条码"}});
}

QString GbkCsv(const TestHome& home)
{
    const QString path = home.file("收款人.csv");
    EXPECT_TRUE(WriteBytes(path, Gbk("户名,金额,备注,加急\r\n张三,1234.5,\"第一行\r\n第二行\",是\r\n李四,88,普通,\r\n")));
    return path;
}

QString MapAt(const ImportMapDialog& d, int row)
{
    return (*d.findChild<ImportMapModel*>()).index(row, ImportMapModel::MapColumn).data().toString();
}

struct OpenDialog {
    OpenDialog(const SlipFormat& f, const QString& path, const QString& marker = "//")
        : source{path, "", ImportFileKind::Csv}, preview(LoadImportPreview(source, NoProgress())),
          dialog(f, source, preview.rows, marker)
    {
        dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        dialog.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }
    ImportSource source;
    ImportPreview preview;
    ImportMapDialog dialog;
};

} // namespace

using ImportBatchHome = test::WithHome;
using ImportMapDialogHome = test::WithHome;
using ImportPreviewHome = test::WithHome;

TEST_F(ImportMapDialogHome, PreviewShowsTheFileUnderColumnLettersAndRowNumbers)
{
    SlipFormat f;
    MakeFormat(f);
    OpenDialog open(f, GbkCsv(home));
    ASSERT_TRUE(open.preview.ok());
    const SheetPreviewModel& p = (*open.dialog.findChild<SheetPreviewModel*>());
    EXPECT_EQ(p.rowCount(), 19);
    EXPECT_EQ(p.columnCount(), 59);
    EXPECT_EQ(p.headerData(58, Qt::Horizontal).toString(), "BG");
    EXPECT_EQ(p.headerData(0, Qt::Vertical).toString(), "1");
    // GBK read as Chinese; a quoted field over two lines is one row.
    EXPECT_EQ(p.Cell(1, 1), "户名");
    EXPECT_EQ(p.Cell(2, 1), "张三");
    EXPECT_EQ(p.Cell(2, 3), "第一行\r\n第二行");
    EXPECT_EQ(p.Cell(4, 1), "");
    EXPECT_TRUE(open.dialog.fileLabel->text().contains("收款人.csv") && open.dialog.windowTitle() == "导入数据映射");
    // The help shows the line-break marker in force.
    EXPECT_TRUE(open.dialog.help->text().contains("可用“//”代表换行（如：D,“//”,F）"));
    const QString help = ImportMapDialog::HelpText("##");
    EXPECT_TRUE(help.contains("可用“##”代表换行（如：D,“##”,F）") && !help.contains("//"));
}

TEST_F(ImportMapDialogHome, MapStringsAreStoredAndShownAgain)
{
    SlipFormat f;
    MakeFormat(f);
    const QString csv = GbkCsv(home);
    {
        OpenDialog open(f, csv);
        ImportMapDialog& d = open.dialog;
        ASSERT_EQ((*d.findChild<ImportMapModel*>()).rowCount(), 4);
        EXPECT_EQ((*d.findChild<ImportMapModel*>()).data((*d.findChild<ImportMapModel*>()).index(2, ImportMapModel::BoxColumn)).toString(), "加急");
        // The first use shows the design's rows.
        EXPECT_EQ(d.startRow->text(), "2");
        EXPECT_EQ(d.endRow->text(), "100");
        EXPECT_EQ(d.linesPerRecord->text(), "1");
        TypeMap(d, 0, "A");
        TypeMap(d, 1, " b ");
        TypeMap(d, 2, "D");
        TypeMap(d, 3, "\"条码:\",A+1");
        SetRows(d, "2", "3", "1");
        Click(d.okButton);
        ASSERT_EQ(d.result(), QDialog::Accepted);
        EXPECT_FALSE(d.isVisible());
        const ImportRequest& r = d.Request();
        EXPECT_EQ(r.range.endRow, 3);
        ASSERT_EQ(r.maps.textBoxes.size(), 2);
        EXPECT_EQ(r.maps.textBoxes[1].map, "b");  // the import takes it trimmed
        EXPECT_EQ(r.maps.pictureBoxes[0].map, "\"条码:\",A+1");
    }
    // Stored as typed.
    const QMap<qint32, QString> stored = LoadInputMap("工行").maps;
    EXPECT_EQ(stored.value(BoxIdAt(f, 2)), " b ");
    EXPECT_EQ(stored.value(BoxIdAt(f, 2001)), "\"条码:\",A+1");
    EXPECT_EQ(LoadImportRowSettings().endRow, "3");

    OpenDialog again(f, csv);
    for (const auto& [row, map] : QVector<QPair<int, QString>>{{0, "A"}, {1, " b "}, {2, "D"}, {3, "\"条码:\",A+1"}})
        EXPECT_EQ(MapAt(again.dialog, row), map);
    EXPECT_EQ(again.dialog.endRow->text(), "3");
}

TEST_F(ImportMapDialogHome, TheMappingListShowsIndexIdNumberBoxAndMap)
{
    SlipFormat f;
    MakeFormat(f);
    OpenDialog open(f, GbkCsv(home));
    const ImportMapModel& m = *open.dialog.findChild<ImportMapModel*>();
    QStringList captions;
    for (int c = 0; c < m.columnCount(); ++c) captions << m.headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(captions, (QStringList{"Index", "ID", "序号", "输入框内容", "对应列号"}));
    const int indexes[] = {1, 2, 1001, 2001};
    for (int r = 0; r < 4; ++r) {
        EXPECT_EQ(m.index(r, ImportMapModel::IndexColumn).data().toString(), QString::number(indexes[r]));
        EXPECT_EQ(m.index(r, ImportMapModel::IdColumn).data().toString(), QString::number(BoxIdAt(f, indexes[r])));
        EXPECT_EQ(m.index(r, ImportMapModel::NumberColumn).data().toString(), QString::number(r + 1));
        EXPECT_FALSE(m.flags(m.index(r, ImportMapModel::IdColumn)) & Qt::ItemIsEditable);
    }
    // Numbers on the left, the box right at the bottom, the Map string top left.
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter, aligned[] = {left, left, left, Qt::AlignRight | Qt::AlignBottom, Qt::AlignLeft | Qt::AlignTop};
    for (int c = 0; c < m.columnCount(); ++c)
        EXPECT_EQ(m.index(0, c).data(Qt::TextAlignmentRole).toInt(), int(aligned[c])) << c;
}

// What the operator sees from the file dialog on, for files the import
// can't read or reads otherwise than the operator may think: the message,
// then the mapping dialog, whose mapping is kept.
TEST_F(ImportMapDialogHome, WhatThePreviewFoundIsToldAsTheMappingOpens)
{
    SlipFormat f;
    MakeFormat(f);
    const QString sample = QStringLiteral(SLIP_SOURCE_DIR "/tests/data/batch-sample.xls");
    // A workbook under a name of another kind goes through the worksheet
    // chooser; the preview then says it is not imported, and OK only closes.
    const QString renamed = home.file("批量.txt");
    ASSERT_TRUE(QFile::copy(sample, renamed));
    const QString mixed = home.file("混合.csv");
    ASSERT_TRUE(WriteBytes(mixed, Gbk(QString::fromUtf8("户名\r\n")) + QByteArray("张三,李四\r\n")));
    const struct {
        QString path;
        QString sheet;     // chosen in the worksheet chooser; "" for none shown
        QString message;
        bool imports;
    } cases[] = {
        {renamed, "批量数据", UnsupportedImportFileError(), false},
        {sample, "", SheetNameError(), true},  // a sheet gone by the time the preview reads it
        {mixed, "", CsvMixedEncodingNotice(2), true},
    };
    for (const auto& c : cases) {
        ScriptedFileDialog files;
        files.answers = {c.path};
        ScriptedPrompter prompts;
        ModalScript script;
        ImportSource source;
        if (!c.sheet.isEmpty()) {
            script.Expect<WorksheetChooser>([](WorksheetChooser& w) { Click(w.okButton); });
            source = SelectImportFile(nullptr);
            EXPECT_EQ(source.sheet, c.sheet) << prompts.shown.join("|").toStdString();
        } else {
            const ImportFileKind kind = ImportFileKindOf(c.path);
            source = {c.path, kind == ImportFileKind::Csv ? "" : "无此表", kind};
        }
        ASSERT_TRUE(source.IsSet());
        script.Expect<ImportMapDialog>([](ImportMapDialog& d) {
            TypeMap(d, 0, "Q");
            Click(d.okButton);
        });
        const std::optional<ImportRequest> request = ShowInputMap(nullptr, f, source, "//");
        EXPECT_TRUE(script.Done() && script.unexpected.isEmpty()) << script.unexpected.join(",").toStdString();
        EXPECT_EQ(prompts.shown, QStringList{c.message});
        EXPECT_EQ(prompts.icons, QList<PromptIcon>{PromptIcon::None});
        EXPECT_EQ(request.has_value(), c.imports) << c.path.toStdString();
        EXPECT_EQ(LoadInputMap("工行").maps.value(BoxIdAt(f, 1)), "Q");
        ASSERT_TRUE(SaveInputMap("工行", {}));
    }
}

TEST_F(ImportMapDialogHome, DatabaseFailuresAreToldWithTheStatement)
{
    SlipFormat f;
    MakeFormat(f);
    const QString csv = GbkCsv(home);
    ASSERT_TRUE(ExecuteSql("DROP TABLE 映射"));
    ScriptedPrompter prompts;
    {
        OpenDialog open(f, csv);
        ASSERT_EQ(prompts.shown.size(), 1);
        EXPECT_EQ(prompts.shown[0], "数据库打开错误(SELECT ID, Map FROM 映射 WHERE Fmt='工行' ORDER BY ID, rowid)！");
        TypeMap(open.dialog, 0, "A");
        Click(open.dialog.cancelButton);
    }
    ASSERT_EQ(prompts.shown.size(), 2);
    EXPECT_EQ(prompts.shown[1], "数据库打开错误(DELETE FROM 映射 WHERE Fmt='工行')！");
}

TEST_F(ImportMapDialogHome, CancelImportsNothingButKeepsWhatWasTyped)
{
    SlipFormat f;
    MakeFormat(f);
    const QString csv = GbkCsv(home);
    ModalScript script;
    script.Expect<ImportMapDialog>([](ImportMapDialog& d) {
        d.activateWindow();
        TypeMap(d, 0, "C");
        SetRows(d, "5", "9", "2");
        Click(d.cancelButton);
    });
    const std::optional<ImportRequest> request = ShowInputMap(nullptr, f, {csv, "", ImportFileKind::Csv}, "//");
    EXPECT_FALSE(request.has_value());
    EXPECT_TRUE(script.Done() && script.unexpected.isEmpty());
    EXPECT_EQ(LoadInputMap("工行").maps.value(BoxIdAt(f, 1)), "C");
    EXPECT_EQ(LoadImportRowSettings().linesPerRecord, "2");
}

TEST_F(ImportMapDialogHome, ARangeTheImportRefusesIsToldAndTheDialogStays)
{
    SlipFormat f;
    MakeFormat(f);
    OpenDialog open(f, GbkCsv(home));
    ScriptedPrompter prompts;
    SetRows(open.dialog, "1", "30001", "1");
    Click(open.dialog.okButton);
    EXPECT_EQ(prompts.shown, QStringList{"一次性导入数据不得超过3万条记录，请重新设置！"});
    EXPECT_EQ(prompts.icons, QList<PromptIcon>{PromptIcon::None});
    EXPECT_TRUE(open.dialog.isVisible());
}

TEST_F(ImportMapDialogHome, TheEditorOpensOnTheRowUnderThePointerWhereverTheListIsScrolled)
{
    SlipFormat f;
    QVector<BoxSpec> boxes;
    for (int i = 1; i <= 40; ++i) boxes << BoxSpec{BoxKind::Text, QString("第%1框").arg(i)};
    MakeStoredFormat(f, "长格式", boxes);
    OpenDialog open(f, GbkCsv(home));
    ImportMapDialog& d = open.dialog;
    d.mapView->scrollToBottom();
    ASSERT_GT(d.mapView->verticalScrollBar()->value(), 0);
    // The last row is in view now; a click at its place edits it, not the
    // row that would stand there unscrolled.
    const QModelIndex last = (*d.findChild<ImportMapModel*>()).index(39, ImportMapModel::MapColumn);
    const QPoint at = d.mapView->visualRect(last).center();
    QTest::mouseClick(d.mapView->viewport(), Qt::LeftButton, {}, at);
    auto* editor = qobject_cast<QLineEdit*>(d.mapView->viewport()->childAt(at));
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "E");
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();  // the view takes the text once Enter is handled
    EXPECT_EQ(MapAt(d, 39), "E");
    for (int r = 0; r < 39; ++r) EXPECT_EQ(MapAt(d, r), "") << r;
}

TEST_F(ImportPreviewHome, ReadsTheFirstRowsAndRefusesWhatTheImportWould)
{
    const QString binary = home.file("图片.csv");
    ASSERT_TRUE(WriteBytes(binary, QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)));
    const QString corrupt = home.file("坏.xlsx");
    ASSERT_TRUE(WriteBytes(corrupt, QByteArray("PK\x03\x04 this is no workbook at all")));
    const QString xls = QStringLiteral(SLIP_SOURCE_DIR "/tests/data/batch-sample.xls");
    const QVector<QPair<ImportSource, QString>> refused = {
        {{binary, "", ImportFileKind::Csv}, CsvImportError()},
        {{corrupt, "Sheet1", ImportFileKind::Workbook}, WorkbookDamagedError()},
        {{xls, "无此表", ImportFileKind::Workbook}, SheetNameError()},
        {{home.file("a.txt"), "", ImportFileKind::Unsupported}, UnsupportedImportFileError()},
    };
    for (const auto& [source, error] : refused) EXPECT_EQ(LoadImportPreview(source, NoProgress()).error, error);
    // A .xls sheet, read off the window's thread by the reader process.
    ImportPreview p;
    RunWithProgress([&](ProgressReporter& r) { p = LoadImportPreview({xls, "批量数据", ImportFileKind::Workbook}, r); });
    ASSERT_TRUE(p.ok()) << p.error.toStdString();
    EXPECT_EQ(p.rows[1].value(2), "2.5");
}

TEST_F(ImportBatchHome, RunsOffTheWindowsThreadAndClosingItsProgressWindowStopsNothing)
{
    const QString path = home.file("大批.csv");
    QByteArray text;
    for (int r = 1; r <= 30000; ++r) text += "户名" + QByteArray::number(r) + ",1234.50,备注,北京市海淀区\r\n";
    ASSERT_TRUE(WriteBytes(path, text));
    BatchDataSet batch;
    batch.Reset({{1, 1, "户名"}}, {{"旧的"}});
    ImportRequest request;
    // Enough work to take a while.
    const QString joined = QString("A,B,C,D,A+1,B+1,C+1,D+1,").repeated(2) + "A";
    request.maps.textBoxes << ImportBox{1, 1, "户名", "A"};
    for (int i = 2; i <= 12; ++i) request.maps.textBoxes << ImportBox{i, i, QString("方框%1").arg(i), joined};
    request.range = {1, 30000, 1};
    // The window's thread keeps answering; the progress window refuses the operator's close.
    int ticks = 0;
    int closedWindows = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* i = qobject_cast<Indicator*>(w); i && i->isVisible()) closedWindows += i->close();
    });
    timer.start(5);
    ScriptedPrompter prompts;
    // What runs alongside sees the records on the import's thread.
    QThread* alongsideThread = nullptr;
    qsizetype alongsideRecords = -1;
    const auto alongside = [&](const ImportResult& read) {
        alongsideThread = QThread::currentThread();
        alongsideRecords = read.records.size();
    };
    // The records are told as they are made, there too, before that.
    int made = 0;
    const auto told = [&](int, const QStringList*, int count) {
        EXPECT_NE(QThread::currentThread(), qApp->thread());
        EXPECT_EQ(alongsideThread, nullptr);
        made += count;
    };
    EXPECT_TRUE(ImportBatch(batch, {path, "", ImportFileKind::Csv}, request, "//", told, alongside));
    timer.stop();
    EXPECT_EQ(made, 30000);
    EXPECT_NE(alongsideThread, nullptr);
    EXPECT_NE(alongsideThread, QThread::currentThread());
    EXPECT_EQ(alongsideRecords, 30000);
    EXPECT_GT(ticks, 0);
    EXPECT_EQ(closedWindows, 0);
    EXPECT_TRUE(prompts.shown.isEmpty());
    EXPECT_EQ(batch.RecordCount(), 30000);
    EXPECT_EQ(batch.RecordValues(30000).value(0), "户名30000");
    // A failure is told and keeps the batch.
    QThread* const holder = alongsideThread;
    request.range.linesPerRecord = 0;
    alongsideThread = nullptr;
    EXPECT_FALSE(ImportBatch(batch, {path, "", ImportFileKind::Csv}, request, "//", {}, alongside));
    EXPECT_EQ(alongsideThread, nullptr);
    EXPECT_EQ(prompts.shown, QStringList{"CSV文件导入错误！"});
    EXPECT_EQ(prompts.icons, QList<PromptIcon>{PromptIcon::None});
    // The next import runs on a thread other than the one whose records are
    // on show, failed imports between or not; the one after goes back.
    request.range = {1, 10, 1};
    EXPECT_TRUE(ImportBatch(batch, {path, "", ImportFileKind::Csv}, request, "//", {}, alongside));
    QThread* const next = alongsideThread;
    EXPECT_NE(next, holder);
    EXPECT_TRUE(ImportBatch(batch, {path, "", ImportFileKind::Csv}, request, "//", {}, alongside));
    EXPECT_EQ(alongsideThread, holder);
    EXPECT_NE(next, QThread::currentThread());
}
