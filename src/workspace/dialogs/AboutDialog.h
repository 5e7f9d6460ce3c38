#pragma once
#include <QDialog>
#include <QString>
#include <vector>

class QLabel;
class QPushButton;

namespace slip {

// One line of the maker's contacts in the about dialog: kept in the
// parameter table under `param`, shown behind `caption`.
struct MakerLine {
    QString param;
    QString caption;
};
// The owner of the program's rights, shown with the name and version.
QString MakerOwnerParamName();  // "关于：版权所有"
// Developer, date of development, telephone, e-mail, web address, instant
// messaging, in the order shown.
const std::vector<MakerLine>& MakerLines();
// The web address the dialog opens (the "关于：网址" parameter), with
// "http://" put before an address stored without its scheme.
QString MakerWebAddress();

// Who makes the program and how to reach the maker (caption "版权说明").
// Lines without a stored text are left out. A click on the logo or any line
// opens the maker's web page, when one is set.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);

    QLabel* copyrightLine = nullptr;
    // One label per maker line, in MakerLines() order (hidden when empty).
    std::vector<QLabel*> makerLabels;
    QPushButton* closeButton = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* e) override;

private:
    QString web_;
};

} // namespace slip
