#pragma once
#include <QDialog>
#include <QString>
#include <QStringList>
#include <QVector>

class QComboBox;
class QPushButton;

namespace slip {

class PrinterDirectory;
class SlipPrinter;

// The printer the chooser shows first: the remembered one when it is
// installed, else the current one, else the first installed printer.
QString PreselectedPrinter(const QStringList& installed, const QString& current, const QString& saved);

// The small chooser "选择": a list to pick from and two buttons. Its caller
// sets the mode, shows it without blocking, waits until it has closed and
// reads Answer() ("" when cancelled or when the printer can't be used).
// In the printer mode a confirmed printer becomes the program's printer and
// is remembered for the next time.
class SelPrinter : public QDialog {
    Q_OBJECT
public:
    explicit SelPrinter(QWidget* parent = nullptr);
    // On another printer object and printer directory than the program's.
    SelPrinter(SlipPrinter& printer, PrinterDirectory& printers, QWidget* parent = nullptr);

    // The mode that lists the installed printers.
    static QString PrinterMode();
    void SetMode(const QString& mode) { mode_ = mode; }

    const QString& Answer() const { return answer_; }

signals:
    // The answer, just before the chooser closes.
    void answered(const QString& answer);

public:

    QComboBox* choices = nullptr;
    QVector<QPushButton*> buttons;   // 0 confirms, 1 cancels

    // Fills the list with the installed printers and preselects one.
    void LoadPrinterNames();

public slots:
    void COM_Click(int index);

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void Build();

    SlipPrinter& printer_;
    PrinterDirectory& printers_;
    QString mode_;
    QString answer_;
};

} // namespace slip
