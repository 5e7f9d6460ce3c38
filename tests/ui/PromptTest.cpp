#include "ui/Prompt.h"

#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace slip;

TEST(QtPrompter, EnterAnswersNoToAQuestionThatWouldLoseSomething)
{
    QtPrompter qt;
    for (PromptDefault d : {PromptDefault::First, PromptDefault::No}) {
        QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return); });
        EXPECT_EQ(qt.Ask("删除？", PromptButtons::YesNo, PromptIcon::Question, "t", d),
                  d == PromptDefault::No ? PromptAnswer::No : PromptAnswer::Yes);
    }
}

// Names from outside show as they are written, never as markup; a message
// with the OK button shows no icon, a question its own; a box asked for
// without a title carries the program's.
TEST(QtPrompter, MessagesShowTheirTextAsWrittenAndTheirIcon)
{
    const QString text = QStringLiteral("导入格式“<img src='file:///etc/passwd'><b>工行</b>”吗？");
    QString shown;
    Qt::TextFormat format = Qt::AutoText;
    QList<QMessageBox::Icon> icons;
    QStringList titles;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* input = qobject_cast<QInputDialog*>(w); input && input->isVisible()) {
                titles << input->windowTitle();
                input->accept();
                continue;
            }
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box || !box->isVisible()) continue;
            const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            shown = label->text();
            format = label->textFormat();
            icons << box->icon();
            titles << box->windowTitle();
            box->buttons().first()->click();
        }
    });
    timer.start(5);
    QtPrompter qt;
    SetPrompter(&qt);
    EXPECT_EQ(Question(text), PromptAnswer::Yes);
    EXPECT_EQ(shown, text);
    EXPECT_EQ(format, Qt::PlainText);
    MsgBox(QStringLiteral("密码错误！"));
    qt.Tell(QStringLiteral("请先选定多个输入框，再操作此功能！"));
    EXPECT_EQ(InputBox(QStringLiteral("请输入："), {}, QStringLiteral("甲")), QStringLiteral("甲"));
    SetPrompter(nullptr);
    EXPECT_EQ(icons, (QList<QMessageBox::Icon>{QMessageBox::Question, QMessageBox::NoIcon, QMessageBox::NoIcon}));
    EXPECT_EQ(titles, QStringList(4, ProgramTitle()));
}
