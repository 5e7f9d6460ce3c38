#include "ui/SelFormat.h"

#include "storage/Database.h"
#include "ui/Prompt.h"
#include "ui/WindowHelpers.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace slip {

std::function<void(SelFormat&)>& SelFormat::TestResponder()
{
    static std::function<void(SelFormat&)> responder;
    return responder;
}

SelFormat::SelFormat(const QString& selContent, bool allowEdit, const QString& currentFormat,
                     QWidget* parent)
    : QDialog(parent), SelContent(selContent), AllowEdit(allowEdit)
{
    setWindowTitle(QStringLiteral("请选择格式名称"));
    auto* layout = new QVBoxLayout(this);
    choices = new QComboBox(this);
    choices->setEditable(true);
    choices->setInsertPolicy(QComboBox::NoInsert);
    choices->setToolTip(QStringLiteral("要选择的单据格式名称。"));
    choices->setMinimumWidth(260);
    // A long name scrolls in the box rather than widening the window.
    choices->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    choices->setMinimumContentsLength(24);
    layout->addWidget(choices);
    auto* buttons = new QHBoxLayout;
    okButton = new QPushButton(QStringLiteral("✔ 确定"), this);
    cancelButton = new QPushButton(QStringLiteral("✘ 取消"), this);
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    layout->addLayout(buttons);
    connect(okButton, &QPushButton::clicked, this, &SelFormat::OkClicked);
    connect(cancelButton, &QPushButton::clicked, this, &SelFormat::CancelClicked);

    answer_.clear();
    if (SelContent == QStringLiteral("Format")) {
        QString error;
        choices->addItems(FmtColumnValues(QStringLiteral("Fmt"), &error));
        if (!error.isEmpty()) MsgBox(error);
        choices->setEditText(currentFormat);
    } else if (SelContent == QStringLiteral("CtlClas")) {
        choices->addItems({QStringLiteral("0｜文本框"), QStringLiteral("1｜可选框"), QStringLiteral("2｜图像框"),
                       QStringLiteral("3｜线条"), QStringLiteral("4｜标签")});
        choices->setCurrentIndex(0);
    }
    // Without editing the text can only come from the list.
    choices->lineEdit()->installEventFilter(this);
    choices->lineEdit()->setReadOnly(!AllowEdit);
    SetTopmost(this);
}

bool SelFormat::eventFilter(QObject* watched, QEvent* event)
{
    if (!AllowEdit && watched == choices->lineEdit() && event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (!k->text().isEmpty() && k->key() != Qt::Key_Return && k->key() != Qt::Key_Enter &&
            k->key() != Qt::Key_Escape)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void SelFormat::OkClicked()
{
    // A listed format name is taken exactly as it stands, so every command
    // acts on the format the operator picked, even one an older database
    // stored with blanks around it or with "｜". Any other text loses its
    // blanks and keeps what stands before the first "｜": a box class its
    // number, a typed name the part before it.
    QString t = choices->currentText();
    if (SelContent != QStringLiteral("Format")
        || choices->findText(t, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0) {
        t = t.trimmed();
        const int bar = t.indexOf(QChar(0xFF5C));
        if (bar >= 0) t = t.left(bar);
    }
    // Nothing chosen is the same as Cancel.
    if (t.isEmpty()) {
        CancelClicked();
        return;
    }
    if (Refuse) {
        if (const QString problem = Refuse(t); !problem.isEmpty()) {
            MsgBox(problem);
            choices->lineEdit()->setFocus();
            return;
        }
    }
    answer_ = t;
    accept();
}

void SelFormat::CancelClicked()
{
    answer_.clear();
    reject();
}

QString RunSelFormat(const QString& selContent, bool allowEdit, const QString& caption,
                     const QString& currentFormat, std::function<QString(const QString&)> refuse)
{
    SelFormat dlg(selContent, allowEdit, currentFormat);
    dlg.Refuse = std::move(refuse);
    if (!caption.isEmpty()) dlg.setWindowTitle(caption);
    if (SelFormat::TestResponder()) {
        SelFormat::TestResponder()(dlg);
        return dlg.Answer();
    }
    if (dlg.exec() != QDialog::Accepted) return QString();
    return dlg.Answer();
}

QString AskInputBoxClass()
{
    return RunSelFormat(QStringLiteral("CtlClas"), false, QStringLiteral("请选择要添加的输入框类型"), QString());
}

} // namespace slip
