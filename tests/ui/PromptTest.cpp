#include "ui/Prompt.h"

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
