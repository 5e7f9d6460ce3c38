#pragma once
#include "workspace/dialogs/BoxPropertiesDialog.h"

class QComboBox;

namespace slip {

// A short line drawn with a width, style code and colour.
class LineSample : public QWidget {
    Q_OBJECT
public:
    explicit LineSample(QWidget* parent = nullptr);
    void Show(double width, int style, const QColor& color);
    QSize sizeHint() const override { return {180, 40}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    double width_ = 1;
    int style_ = 1;
    QColor color_ = Qt::black;
};

// The properties of a line (caption "线条属性修改"): width, start and end
// point, style and colour.
class LineDialog : public BoxPropertiesDialog {
    Q_OBJECT
public:
    enum Field { LineWidth, StartX, StartY, EndX, EndY, Style, Color };

    explicit LineDialog(SlipFormat& format, QWidget* parent = nullptr);

    // The style list: "1 - 实线" to "5 - 点点虚线"; an item's number is its
    // style code.
    static QStringList StyleItems();

    QLineEdit* widthEdit = nullptr;
    QLineEdit* startXEdit = nullptr;
    QLineEdit* startYEdit = nullptr;
    QLineEdit* endXEdit = nullptr;
    QLineEdit* endYEdit = nullptr;
    QComboBox* styleList = nullptr;
    LineSample* sample = nullptr;
    QPushButton* colorButton = nullptr;

protected:
    void LoadBox(const Box& box) override;
    bool CheckFields() override;
    void WriteMarked(Box& box) override;

private:
    void ShowSample();
    QColor color_ = Qt::black;
    int loadedStyle_ = 1;
};

} // namespace slip
