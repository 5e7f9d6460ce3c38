#include "BatchUiSupport.h"
#include "ModalScript.h"
#include "ScriptedFileDialog.h"
#include "ScriptedPrompter.h"
#include "TestHome.h"

#include "batch/Workbook.h"
#include "workspace/BatchImportCommand.h"
#include "workspace/SheetPreviewModel.h"
#include "workspace/WorksheetChooser.h"

#include <QFrame>
#include <QScrollBar>

using namespace slip;
using namespace slip::test;

namespace {

QString ThreeSheets(const TestHome& home)
{
    const QString path = home.file("三张表.xlsx");
    EXPECT_TRUE(WriteXlsx(path, {{"一月", {{"一月户名"}}}, {"二月", {{"二月户名", "二月金额"}, {"张三", "12"}}},
                                 {"三月", {{"三月户名"}}}}));
    return path;
}

QString Tick(const WorksheetChooser& c, int row) { return c.list->model()->index(row, 1).data().toString(); }

struct Shown {
    Shown(const QString& path, const QStringList& sheets) : chooser(path, sheets)
    {
        chooser.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&chooser));
    }
    WorksheetChooser chooser;
};

} // namespace

using ChooseWorksheetHome = test::WithHome;
using WorksheetChooserHome = test::WithHome;

TEST_F(WorksheetChooserHome, ThePressedRowIsTickedAloneAndShown)
{
    const QString path = ThreeSheets(home);
    struct Case {
        int press;  // -1: none
        bool cancel;
        QString ticked;
        QString answer;
    };
    for (const auto& [press, cancel, ticked, answer] :
         QVector<Case>{{-1, false, "一月", "一月"}, {1, false, "二月", "二月"}, {0, false, "", ""}, {1, true, "二月", ""}}) {
        Shown s(path, ListWorksheets(path).names);
        WorksheetChooser& c = s.chooser;
        const QAbstractItemModel* m = c.list->model();
        ASSERT_EQ(m->rowCount(), 3);
        EXPECT_EQ(m->index(2, 0).data().toString(), "3");
        EXPECT_EQ(Tick(c, 0), "√");  // the first starts ticked
        // Two rules: under the prompt, above the buttons.
        for (QFrame* line : c.lines) ASSERT_TRUE(line && line->isVisible() && line->frameShape() == QFrame::HLine);
        EXPECT_LT(c.lines[0]->geometry().bottom(), c.list->geometry().top());
        EXPECT_GT(c.lines[1]->geometry().top(), c.preview->geometry().bottom());
        EXPECT_LT(c.lines[1]->geometry().bottom(), c.okButton->geometry().top());
        if (press >= 0) PressSheetRow(c, press, 0);  // on the number, not on 选择
        EXPECT_EQ(Tick(c, 0), press < 0 ? "√" : "");
        EXPECT_EQ(c.TickedSheet(), ticked);
        EXPECT_EQ((*c.findChild<SheetPreviewModel*>()).Cell(1, 2), press == 1 ? "二月金额" : "");
        Click(cancel ? c.cancelButton : c.okButton);
        EXPECT_EQ(c.Answer(), answer);
    }
}

TEST_F(WorksheetChooserHome, APressOnAScrolledListTicksTheRowUnderThePointer)
{
    QVector<SheetSpec> sheets;
    for (int i = 1; i <= 40; ++i) sheets << SheetSpec{QString("表%1").arg(i), {{QString("第%1张").arg(i)}}};
    const QString path = home.file("多表.xlsx");
    ASSERT_TRUE(WriteXlsx(path, sheets));
    Shown s(path, ListWorksheets(path).names);
    WorksheetChooser& c = s.chooser;
    c.list->scrollToBottom();
    ASSERT_GT(c.list->verticalScrollBar()->value(), 0);
    const QModelIndex row35 = c.list->model()->index(35, 2);
    const QRect cell = c.list->visualRect(row35);
    ASSERT_TRUE(c.list->viewport()->rect().contains(cell.center()));
    QTest::mouseClick(c.list->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(c.TickedSheet(), "表36");
    EXPECT_EQ((*c.findChild<SheetPreviewModel*>()).Cell(1, 1), "第36张");
}

TEST_F(ChooseWorksheetHome, TheChosenFilesSheetIsTheAnswer)
{
    const QString path = ThreeSheets(home);
    ModalScript script;
    script.Expect<WorksheetChooser>([](WorksheetChooser& c) {
        PressSheetRow(c, 1);
        Click(c.okButton);
    });
    ScriptedFileDialog files;  // the import's file dialog, its filter read in full
    files.answers = {path};
    EXPECT_EQ(SelectImportFile(nullptr).sheet, "二月");
    EXPECT_EQ(QtFileFilters(files.requests.at(0).filter).mid(0, 2),
              (QStringList{"Microsoft Office Excel 工作簿(*.xls)", "CSV (逗号分隔)(*.csv)"}));
    EXPECT_TRUE(script.Done() && script.unexpected.isEmpty());
}

TEST_F(ChooseWorksheetHome, AFileThatIsNoWorkbookIsToldAndNoChooserOpens)
{
    const QString text = home.file("假的.xls");
    ASSERT_TRUE(WriteBytes(text, "户名,金额\r\n"));
    ScriptedPrompter prompts;
    ModalScript script;  // expects no dialog at all
    EXPECT_EQ(ChooseWorksheet(nullptr, text), "");
    EXPECT_EQ(prompts.shown, QStringList{"无法打开XLS文件！"});
    EXPECT_EQ(prompts.icons, QList<PromptIcon>{PromptIcon::None});
    EXPECT_TRUE(script.unexpected.isEmpty());
}
