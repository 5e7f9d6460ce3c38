#pragma once
#include <QProcess>
#include <QHash>
#include <QProcessEnvironment>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace slip::test {

// A real CUPS print spooler for the tests, with PDF printers whose output can
// be read back. It runs as root (as CI does) a scheduler of its own:
// configuration, spool, logs and a local socket in a temporary folder, so the
// machine's own spooler and printers are never touched. Everything it started
// is stopped and removed when it goes, and the program's printing in this
// process is pointed at it meanwhile. Ok() is false, with the reason in
// Failure(), when it can't run: tests must then fail, not pass.
class CupsSpooler {
public:
    CupsSpooler();
    ~CupsSpooler();
    CupsSpooler(const CupsSpooler&) = delete;
    CupsSpooler& operator=(const CupsSpooler&) = delete;

    bool Ok() const { return failure_.isEmpty(); }
    QString Failure() const { return failure_; }

    // A cups-pdf printer; its name, or "" (see Failure()).
    QString AddPdfPrinter(const QStringList& lpadminOptions = {});
    // A cups-pdf printer that takes A4 paper only: its driver names no other
    // size and no size of the job's own.
    QString AddA4OnlyPdfPrinter(const QStringList& lpadminOptions = {});
    // A printer writing into one file through the generic PDF printer
    // driver, which has unprintable margins and takes only its own paper
    // sizes; its name, or "".
    QString AddMarginedPdfPrinter(const QStringList& lpadminOptions = {});

    // Waits until the printer has finished all its jobs and returns the PDF
    // it wrote last, or "" (see Failure()) after timeoutMs.
    QString WaitForOutput(const QString& printer, int timeoutMs = 60000);

    // The scheduler's log, for failure messages.
    QString LogTail(int lines = 40) const;

    // Runs a CUPS command-line tool against this spooler; its standard
    // output, with ok false and the reason in Failure() when it failed.
    QString Run(const QString& tool, const QStringList& args, bool* ok = nullptr);

private:
    bool StartOwnScheduler();
    QString AddCupsPdfPrinter(const QString& driver, const QStringList& lpadminOptions);
    QString OutputFolder(const QString& printer) const;
    QString Fail(const QString& why);

    QString failure_;
    std::unique_ptr<QTemporaryDir> dir_;
    QString socket_;
    std::unique_ptr<QProcess> cupsd_;
    QProcessEnvironment env_;
    QStringList printers_;
    QStringList configFiles_;   // cups-pdf settings written for our printers
    QHash<QString, QString> files_;  // printer -> file, for single-file printers
    QSet<QString> seen_;             // output files already there or handed out
};

} // namespace slip::test
