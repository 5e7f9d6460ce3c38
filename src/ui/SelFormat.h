#pragma once
#include <QDialog>
#include <functional>

class QComboBox;
class QPushButton;

namespace slip {

// The small chooser: one drop-down list of format names ("Format") or of the
// five box classes ("CtlClas"). Its answer is a listed name as it stands, a
// typed name trimmed of blanks and cut before its first "｜", the box class
// before the first "｜", or "" when cancelled, closed or answered with no
// text.
class SelFormat : public QDialog {
    Q_OBJECT
public:
    SelFormat(const QString& selContent, bool allowEdit, const QString& currentFormat,
              QWidget* parent = nullptr);

    QString SelContent;
    // The chosen text, "" when cancelled or closed.
    const QString& Answer() const { return answer_; }
    bool AllowEdit = false;
    QComboBox* choices = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

    // Tells why a typed text can't be taken ("" when it can): OK then shows
    // it and the chooser stays open with the text for correction.
    std::function<QString(const QString&)> Refuse;

    // Tests answer the chooser through this instead of an operator.
    static std::function<void(SelFormat&)>& TestResponder();

public slots:
    void OkClicked();
    void CancelClicked();

private:
    QString answer_;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The answer of the chooser for a caption; "" when cancelled.
QString RunSelFormat(const QString& selContent, bool allowEdit, const QString& caption,
                     const QString& currentFormat, std::function<QString(const QString&)> refuse = {});

// Asks the class of a new input box: "0" to "4", or "" when cancelled.
QString AskInputBoxClass();

} // namespace slip
