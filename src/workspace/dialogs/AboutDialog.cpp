#include "workspace/dialogs/AboutDialog.h"

#include "core/ProgramName.h"
#include "exchange/Server.h"
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

QString CopyrightLine()
{
    return QStringLiteral("版权所有：slipprint 项目  ") + ProgramTitle() + QStringLiteral(" 版本 ") + ProgramVersion();
}

std::vector<MakerLine> MakerLines()
{
    const ServerUrl web = ServerBase();
    return {
        {QStringLiteral("开发者："), QStringLiteral("slipprint 开发组")},
        {QStringLiteral("开发日期："), QStringLiteral("2026年12月")},
        {QStringLiteral("电话："), QStringLiteral("本项目不设联系电话")},
        {QStringLiteral("电子邮件："), QStringLiteral("本项目不设电子邮件地址")},
        {QStringLiteral("网址："), web.ok                      ? web.url.toString()
         : ServerAddress().isEmpty() ? QStringLiteral("未设置（设置 → 服务器地址设置）")
                                     : ServerAddress()},
        {QStringLiteral("即时通讯："), QStringLiteral("本项目不设即时通讯联系方式")},
    };
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(QStringLiteral("版权说明"));
    auto* top = new QVBoxLayout(this);
    auto* body = new QHBoxLayout;
    logo = new MakerLogo;
    body->addWidget(logo, 0, Qt::AlignTop);
    auto* lines = new QVBoxLayout;
    copyrightLine = new QLabel(CopyrightLine());
    copyrightLine->setTextFormat(Qt::PlainText);
    QFont bold = copyrightLine->font();
    bold.setBold(true);
    copyrightLine->setFont(bold);
    lines->addWidget(copyrightLine);
    QList<QWidget*> clickable{logo, copyrightLine};
    for (const MakerLine& line : MakerLines()) {
        auto* label = new QLabel(line.caption + line.text);
        label->setTextFormat(Qt::PlainText);
        label->setTextInteractionFlags(Qt::NoTextInteraction);
        lines->addWidget(label);
        makerLabels.push_back(label);
        clickable << label;
    }
    lines->addStretch();
    body->addLayout(lines, 1);
    top->addLayout(body);
    for (QWidget* w : clickable) {
        w->installEventFilter(this);
        w->setCursor(Qt::PointingHandCursor);
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
        OpenWebPage();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void AboutDialog::OpenWebPage()
{
    // Read at the click: the address may have been set since the dialog opened.
    const ServerUrl web = ServerBase();
    if (!web.ok) {
        MsgBox(web.error);
        return;
    }
    if (!ShellOpen(web.url.toString()))
        MsgBox(QStringLiteral("无法打开网址“") + web.url.toString() + QStringLiteral("”！"));
}

} // namespace slip
