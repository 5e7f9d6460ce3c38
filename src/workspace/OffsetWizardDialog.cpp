#include "workspace/OffsetWizardDialog.h"

#include "core/TextNumber.h"
#include "print/Calibration.h"
#include "ui/Prompt.h"
#include "ui/WindowHelpers.h"
#include "workspace/HelpLinks.h"

#include <QButtonGroup>
#include <QDesktopServices>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>
#include <QVBoxLayout>

namespace slip {

namespace {

// A small drawing of each kind of deviation: the pre-printed fields in grey,
// the printed values in black where they land.
QPixmap DeviationPicture(int kind)
{
    QPixmap pm(120, 60);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setPen(QPen(Qt::gray, 1));
    p.drawRect(2, 2, 115, 55);
    const QRect fields[3] = {QRect(12, 12, 40, 10), QRect(62, 12, 44, 10), QRect(12, 34, 94, 10)};
    for (const QRect& r : fields) p.drawRect(r);
    p.setPen(QPen(Qt::black, 2));
    QPoint shift;
    switch (kind) {
    case 0: shift = QPoint(-6, 4); break;                // everything moved
    case 1: break;                                       // only one field moved: drawn below
    case 2: break;                                       // digits not in their cells
    case 3: shift = QPoint(8, 0); break;                 // the rightmost cells cut off
    }
    for (int i = 0; i < 3; ++i) {
        QRect r = fields[i].adjusted(3, 3, -3, -3).translated(shift);
        if (kind == 1 && i == 1) r.translate(-5, 5);
        if (kind == 2 && i == 2) {
            for (int c = 0; c < 8; ++c) p.drawLine(r.left() + c * 9, r.top(), r.left() + c * 9 + 4, r.bottom());
            continue;
        }
        p.drawLine(r.left(), r.center().y(), r.right(), r.center().y());
    }
    return pm;
}

} // namespace

// --- ValWizard

ValWizard::ValWizard(QWidget* parent) : QDialog(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("常见打印偏差校正向导"));
    auto* frame = new QGroupBox(QStringLiteral("请选择偏差类型："), this);
    auto* grid = new QGridLayout(frame);
    const QString captions[4] = {QStringLiteral("所有内容都偏离位置"), QStringLiteral("部分内容都偏离位置"),
                                 QStringLiteral("小写金额间隔不对"), QStringLiteral("最右侧角或分打印不出来")};
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        options[i] = new QRadioButton(captions[i], frame);
        group->addButton(options[i], i);
        pictures[i] = new QLabel(frame);
        pictures[i]->setPixmap(DeviationPicture(i));
        grid->addWidget(options[i], i, 0);
        // The pictures share one place: only the chosen kind's is shown.
        grid->addWidget(pictures[i], 0, 1, 4, 1, Qt::AlignCenter);
        connect(options[i], &QRadioButton::toggled, this, [this] { Refresh(); });
    }
    nextButton = new QPushButton(QStringLiteral("下 一 步"), this);
    connect(nextButton, &QPushButton::clicked, this, [this] {
        const int chosen = Chosen();
        close();
        emit next(chosen);
    });
    auto* v = new QVBoxLayout(this);
    v->addWidget(frame);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(nextButton);
    v->addLayout(row);
    options[0]->setChecked(true);
    Refresh();
    adjustSize();
    CenterForm(this);
}

int ValWizard::Chosen() const
{
    for (int i = 0; i < 4; ++i)
        if (options[i]->isChecked()) return i;
    return 0;
}

void ValWizard::Refresh()
{
    const int chosen = Chosen();
    for (int j = 0; j < 4; ++j) {
        QPalette pal = options[j]->palette();
        pal.setColor(QPalette::WindowText, j == chosen ? QColor(255, 0, 0) : QColor(0, 0, 255));
        pal.setColor(QPalette::ButtonText, pal.color(QPalette::WindowText));
        options[j]->setPalette(pal);
        pictures[j]->setVisible(j == chosen);
    }
}

// --- ValValue

ValValue::ValValue(QWidget* parent) : QDialog(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("输入偏离距离"));
    auto* v = new QVBoxLayout(this);
    v->addWidget(new QLabel(QStringLiteral("请量出打印出来单据内容的偏离距离，选择填入："), this));
    const QString frames[2] = {QStringLiteral("左右偏差"), QStringLiteral("上下偏差")};
    const QString captions[4] = {QStringLiteral("内容偏左了"), QStringLiteral("内容偏右了"),
                                 QStringLiteral("内容偏上了"), QStringLiteral("内容偏下了")};
    for (int f = 0; f < 2; ++f) {
        auto* box = new QGroupBox(frames[f], this);
        auto* grid = new QGridLayout(box);
        // Each frame makes its pair exclusive.
        auto* group = new QButtonGroup(box);
        for (int k = 0; k < 2; ++k) {
            const int i = f * 2 + k;
            options[i] = new QRadioButton(captions[i], box);
            group->addButton(options[i], i);
            distances[i] = new QLineEdit(box);
            distances[i]->setMaximumWidth(80);
            units[i] = new QLabel(QStringLiteral("毫米"), box);
            grid->addWidget(options[i], k, 0);
            grid->addWidget(distances[i], k, 1);
            grid->addWidget(units[i], k, 2);
            connect(options[i], &QRadioButton::toggled, this, [this] { Refresh(); });
        }
        v->addWidget(box);
    }
    doneButton = new QPushButton(QStringLiteral("完   成"), this);
    backButton = new QPushButton(QStringLiteral("上 一 步"), this);
    connect(doneButton, &QPushButton::clicked, this, [this] {
        const bool left = options[0]->isChecked(), up = options[2]->isChecked();
        const QString h = distances[left ? 0 : 1]->text(), vtext = distances[up ? 2 : 3]->text();
        emit done(left, h, up, vtext);
        close();
    });
    connect(backButton, &QPushButton::clicked, this, [this] {
        emit back();
        close();
    });
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(doneButton);
    row->addWidget(backButton);
    v->addLayout(row);
    options[0]->setChecked(true);
    options[2]->setChecked(true);
    Refresh();
    adjustSize();
    CenterForm(this);
}

void ValValue::Refresh()
{
    for (int i = 0; i < 4; ++i) {
        const bool on = options[i]->isChecked();
        distances[i]->setEnabled(on);
        const QColor c = on ? QColor(0, 0, 255) : QColor(0x88, 0x88, 0x88);
        for (QWidget* w : {static_cast<QWidget*>(options[i]), static_cast<QWidget*>(units[i])}) {
            QPalette pal = w->palette();
            pal.setColor(QPalette::WindowText, c);
            pal.setColor(QPalette::ButtonText, c);
            w->setPalette(pal);
        }
    }
}

// --- the wizard

OffsetWizard::OffsetWizard(SlipFormat& format, QWidget* parent)
    : openHelp(OpenManualTopic), format_(format), parent_(parent)
{
}

OffsetWizard::~OffsetWizard()
{
    if (wizard_) wizard_->deleteLater();
    if (value_) value_->deleteLater();
}

void OffsetWizard::ShowWizard()
{
    if (value_) value_->close();
    // A window closed earlier is on its way out: a new one starts afresh.
    if (wizard_ && !wizard_->isVisible()) wizard_ = nullptr;
    if (!wizard_) {
        wizard_ = new ValWizard(parent_);
        connect(wizard_, &ValWizard::next, this, [this](int option) {
            const WizardStep step = ValWizardNextStep(option);
            if (step.enterShift) ShowValue();
            else if (step.helpTopic > 0 && openHelp) openHelp(step.helpTopic);
        });
    }
    wizard_->show();
    wizard_->raise();
    wizard_->activateWindow();
}

void OffsetWizard::ShowValue()
{
    if (wizard_) wizard_->close();
    if (value_ && !value_->isVisible()) value_ = nullptr;
    if (!value_) {
        value_ = new ValValue(parent_);
        connect(value_, &ValValue::done, this, &OffsetWizard::Apply);
        connect(value_, &ValValue::back, this, [this] { ShowWizard(); });
    }
    value_->show();
    value_->raise();
    value_->activateWindow();
}

void OffsetWizard::Apply(bool contentLeft, const QString& horizontal, bool contentUp, const QString& vertical)
{
    if (format_.IsOpen()) {
        const FormatHeader& h = format_.Header();
        MeasuredShift shift;
        shift.contentLeft = contentLeft;
        (contentLeft ? shift.leftMm : shift.rightMm) = horizontal;
        shift.contentUp = contentUp;
        (contentUp ? shift.upMm : shift.downMm) = vertical;
        const OffsetCaptions corrected = ValValueOffsets({NumberText(h.offsetXMm), NumberText(h.offsetYMm)}, shift);
        format_.SetPrintOffsets(Val(corrected.x), Val(corrected.y));
    }
    MsgBox(ValValueDoneMessage());
}

} // namespace slip
