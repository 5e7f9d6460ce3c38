#pragma once
#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;
class QScrollBar;

namespace slip {

class FormatOps;
class GridModel;
class GridView;

// The format list: pick the format to work on, preview its picture, delete one.
class FmtList : public QDialog {
    Q_OBJECT
public:
    FmtList(const QString& currentFormat, FormatOps* ops, QWidget* parent = nullptr);
    ~FmtList() override;

    GridModel* MSF = nullptr;
    GridView* view = nullptr;
    QPushButton* COM[5] = {nullptr, nullptr, nullptr, nullptr, nullptr};
    QLabel* LBL = nullptr;
    QWidget* Frm = nullptr;
    QLabel* Img = nullptr;
    QScrollBar* VS = nullptr;
    QString answer;

    void COM_Click(int index);
    void RowChanged();

    // Tests answer the list through this instead of an operator.
    static std::function<void(FmtList&)>& TestResponder();

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void ShowPreview();
    QString currentFormat_;
    FormatOps* ops_;
    QImage* picture_ = nullptr;
};

// Shows the list and answers the chosen name; "" for no choice (also when
// the window is closed with its close box).
QString RunFmtList(QWidget* parent, const QString& currentFormat, FormatOps* ops);

} // namespace slip
