#pragma once
#include "model/SlipFormat.h"

#include <QDialog>
#include <QPointer>
#include <QString>
#include <array>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace slip {

// The first window of the offset wizard, "常见打印偏差校正向导": which kind of
// deviation the printout shows, each with a picture of it. The chosen one is
// red with its picture shown, the others blue.
class ValWizard : public QDialog {
    Q_OBJECT
public:
    explicit ValWizard(QWidget* parent = nullptr);
    std::array<QRadioButton*, 4> options{};
    std::array<QLabel*, 4> pictures{};
    QPushButton* nextButton = nullptr;
    int Chosen() const;

signals:
    // "下 一 步" with the chosen option; the window closes after it.
    void next(int option);

private:
    void Refresh();
};

// The second window, "输入偏离距离": the measured shift, one side and one
// distance per direction. Only the box of the chosen side can be typed in.
class ValValue : public QDialog {
    Q_OBJECT
public:
    explicit ValValue(QWidget* parent = nullptr);
    // 0 "内容偏左了", 1 "内容偏右了", 2 "内容偏上了", 3 "内容偏下了".
    std::array<QRadioButton*, 4> options{};
    std::array<QLineEdit*, 4> distances{};
    std::array<QLabel*, 4> units{};
    QPushButton* doneButton = nullptr;
    QPushButton* backButton = nullptr;

signals:
    // "完   成": the texts typed for the chosen sides.
    void done(bool contentLeft, const QString& horizontal, bool contentUp, const QString& vertical);
    // "上 一 步".
    void back();

private:
    void Refresh();
};

// Runs the offset wizard over the open format: one window at a time, moving
// between the two; the measured shift is added to the format's print offsets
// (kept with the format when it is saved). The windows stand over `parent`;
// the wizard itself is owned by its creator.
class OffsetWizard : public QObject {
    Q_OBJECT
public:
    OffsetWizard(SlipFormat& format, QWidget* parent);
    ~OffsetWizard() override;

    void ShowWizard();
    void ShowValue();

    // Opens the help of a topic (19, 30 or 31): the program's manual at that
    // topic (OpenManualTopic).
    std::function<void(int topic)> openHelp;

private:
    void Apply(bool contentLeft, const QString& horizontal, bool contentUp, const QString& vertical);

    SlipFormat& format_;
    QPointer<QWidget> parent_;
    QPointer<ValWizard> wizard_;
    QPointer<ValValue> value_;
};

} // namespace slip
