#include "workspace/dialogs/AboutDialog.h"

#include "core/ProgramName.h"
#include "storage/Params.h"
#include "ui/FileDialogs.h"
#include "ui/Prompt.h"
#include "ui/WindowHelpers.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace slip {

namespace {

// The maker's mark: a slip with its boxes, drawn so that no picture file is needed.
class MakerLogo : public QWidget {
public:
    MakerLogo() { setFixedSize(72, 72); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(QColor(0x1F, 0x5F, 0xA8));
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(rect().adjusted(2, 2, -2, -2), 12, 12);
        p.setBrush(Qt::white);
        const QRectF slip(14, 18, 44, 36);
        p.drawRect(slip);
        p.setPen(QPen(QColor(0x1F, 0x5F, 0xA8), 2));
        for (int i = 0; i < 3; ++i) p.drawLine(QPointF(19, 26 + i * 9), QPointF(i == 2 ? 38 : 53, 26 + i * 9));
        p.setPen(QPen(QColor(0xD0, 0x30, 0x30), 2));
        p.drawEllipse(QPointF(47, 44), 5, 5);
    }
};

} // namespace

QString MakerOwnerParamName() { return QStringLiteral("关于：版权所有"); }

const std::vector<MakerLine>& MakerLines()
{
    static const std::vector<MakerLine> lines = {
        {QStringLiteral("关于：开发者"), QStringLiteral("开发者：")},
        {QStringLiteral("关于：开发日期"), QStringLiteral("开发日期：")},
        {QStringLiteral("关于：电话"), QStringLiteral("电话：")},
        {QStringLiteral("关于：电子邮件"), QStringLiteral("电子邮件：")},
        {QStringLiteral("关于：网址"), QStringLiteral("网址：")},
        {QStringLiteral("关于：即时通讯"), QStringLiteral("即时通讯：")},
    };
    return lines;
}

QString MakerWebAddress()
{
    const QString stored = GetParam(QStringLiteral("关于：网址")).trimmed();
    // "www.example.com" is a web page, not a file.
    if (stored.isEmpty() || stored.contains(QStringLiteral("://"))) return stored;
    return QStringLiteral("http://") + stored;
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(QStringLiteral("版权说明"));
    web_ = MakerWebAddress();
    auto* top = new QVBoxLayout(this);
    auto* body = new QHBoxLayout;
    auto* logo = new MakerLogo;
    body->addWidget(logo, 0, Qt::AlignTop);
    auto* lines = new QVBoxLayout;
    QString copyright = ProgramTitle() + QStringLiteral("  版本 ") + ProgramVersion();
    QString failure;
    if (const QString owner = GetParam(MakerOwnerParamName(), &failure).trimmed(); !owner.isEmpty())
        copyright += QStringLiteral("\n版权所有：") + owner;
    copyrightLine = new QLabel(copyright);
    copyrightLine->setTextFormat(Qt::PlainText);
    QFont bold = copyrightLine->font();
    bold.setBold(true);
    copyrightLine->setFont(bold);
    lines->addWidget(copyrightLine);
    QList<QWidget*> clickable{logo, copyrightLine};
    for (const MakerLine& line : MakerLines()) {
        QString error;
        const QString value = GetParam(line.param, &error).trimmed();
        if (failure.isEmpty()) failure = error;
        auto* label = new QLabel(line.caption + value);
        label->setTextFormat(Qt::PlainText);
        label->setVisible(!value.isEmpty());
        label->setTextInteractionFlags(Qt::NoTextInteraction);
        lines->addWidget(label);
        makerLabels.push_back(label);
        clickable << label;
    }
    if (!failure.isEmpty()) MsgBox(failure, PromptIcon::Critical);
    lines->addStretch();
    body->addLayout(lines, 1);
    top->addLayout(body);
    for (QWidget* w : clickable) {
        w->installEventFilter(this);
        if (!web_.isEmpty()) {
            w->setCursor(Qt::PointingHandCursor);
            w->setToolTip(web_);
        }
    }
    auto* row = new QHBoxLayout;
    row->addStretch();
    closeButton = new QPushButton(QStringLiteral("确  定"));
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closeButton->setDefault(true);
    row->addWidget(closeButton);
    top->addLayout(row);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
    setMinimumWidth(340);
    SetTopmost(this);
}

void AboutDialog::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    CenterForm(this);
}

bool AboutDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (!web_.isEmpty()) {
            ShellOpen(web_);
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace slip
