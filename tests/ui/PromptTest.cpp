#include "ScriptedPrompter.h"
#include "ui/Prompt.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace slip;

TEST(ScriptedPrompter, AnswersFromItsScriptAndRecordsEveryText)
{
    {
        ScriptedPrompter prompts;
        EXPECT_EQ(&Prompts(), &prompts);
        prompts.answers = {PromptAnswer::No, PromptAnswer::Cancel};
        prompts.inputs = {QString("新格式"), std::nullopt};
        EXPECT_EQ(Question("您确定要清除所有记录？"), PromptAnswer::No);
        EXPECT_EQ(Question("保存吗？", PromptButtons::YesNoCancel), PromptAnswer::Cancel);
        MsgBox("表格中没有数据！");
        EXPECT_EQ(InputBox("请输入格式名称", {}, "旧名"), std::optional<QString>("新格式"));
        EXPECT_EQ(InputBox("请输入格式名称", {}, "旧名"), std::nullopt);
        // With the script used up: the first button, and the initial text.
        EXPECT_EQ(Question("再问一次"), PromptAnswer::Yes);
        EXPECT_EQ(Prompts().Ask("好", PromptButtons::OkCancel, PromptIcon::None, "t"), PromptAnswer::Ok);
        EXPECT_EQ(InputBox("名称", {}, "默认"), std::optional<QString>("默认"));
        EXPECT_EQ(prompts.shown, (QStringList{"您确定要清除所有记录？", "保存吗？", "表格中没有数据！", "请输入格式名称",
                                              "请输入格式名称", "再问一次", "好", "名称"}));
    }
    // Gone out of scope: the Qt dialogs are back.
    EXPECT_NE(dynamic_cast<QtPrompter*>(&Prompts()), nullptr);
}

TEST(QtPrompter, NamesFromOutsideShowAsTheyAreWritten)
{
    const QString text = QStringLiteral("导入格式“<img src='file:///etc/passwd'><b>工行</b>”吗？");
    QString shown;
    Qt::TextFormat format = Qt::AutoText;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box || !box->isVisible()) continue;
            const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            shown = label->text();
            format = label->textFormat();
            box->buttons().first()->click();
        }
    });
    timer.start(5);
    QtPrompter().Ask(text, PromptButtons::YesNo, PromptIcon::Question, QStringLiteral("t"));
    EXPECT_EQ(shown, text);
    EXPECT_EQ(format, Qt::PlainText);
}
