#pragma once
#include <QDialog>
#include <functional>

class QPushButton;

namespace slip {

class DataGridView;
class RecordListModel;
class PicturePreview;

// The format list: pick the format to work on, preview its picture, delete
// one, or open the web catalogue.
class FormatListDialog : public QDialog {
    Q_OBJECT
public:
    // deleteFormat deletes a format after asking; true when it went.
    FormatListDialog(const QString& currentFormat, std::function<bool(const QString&)> deleteFormat,
                     QWidget* parent = nullptr);
    ~FormatListDialog() override;

    RecordListModel* list = nullptr;
    DataGridView* view = nullptr;
    QPushButton* chooseButton = nullptr;
    QPushButton* closeButton = nullptr;
    QPushButton* downloadButton = nullptr;
    QPushButton* deleteButton = nullptr;
    PicturePreview* preview = nullptr;
    // The chosen name; "" for no choice.
    QString answer;

    // Fills the list from the database.
    void Reload();
    QString SelectedName() const;
    void Choose();
    void CloseKeepingCurrent();
    void DeleteSelected();
    void RowChanged();

    // The command of "下载更多…"; the button is off while none is set.
    void SetDownloadCommand(std::function<void()> command);

    // Tests answer the list through this instead of an operator.
    static std::function<void(FormatListDialog&)>& TestResponder();

protected:
    // Closing keeps the list's size for the next time.
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* e) override;

private:
    void ShowPreview();
    QString currentFormat_;
    std::function<bool(const QString&)> deleteFormat_;
    std::function<void()> download_;
};

// Shows the list and answers the chosen name; "" for no choice (also when
// the window is closed with its close box).
QString RunFormatList(QWidget* parent, const QString& currentFormat, std::function<bool(const QString&)> deleteFormat,
                      std::function<void()> download = {});

} // namespace slip
