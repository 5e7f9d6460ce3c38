#pragma once
#include <QDialog>
#include <QString>
#include <vector>

class QLabel;
class QPushButton;

namespace slip {

// The lines of the about dialog: the project's own texts, shipped with the
// program. A contact the project does not keep says so plainly.
struct MakerLine {
    QString caption;
    QString text;
};
// The owner of the program's rights and its version, in one line.
QString CopyrightLine();
// Developer, date of development, telephone, e-mail, web address, instant
// messaging, in the order shown. The web address is the server set under
// 服务器地址设置, or says that none is set.
std::vector<MakerLine> MakerLines();

// Who makes the program and how to reach the maker (caption "版权说明").
// A click on the logo or any line opens the server's web page; with none
// set (or a bad one) it says why not.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);

    QLabel* copyrightLine = nullptr;
    // One label per maker line, in MakerLines() order.
    std::vector<QLabel*> makerLabels;
    QWidget* logo = nullptr;
    QPushButton* closeButton = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* e) override;

private:
    void OpenWebPage();
};

} // namespace slip
