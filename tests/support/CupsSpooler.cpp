#include "CupsSpooler.h"

#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <cups/cups.h>

namespace slip::test {

namespace {

const QString kCupsPdfDriver = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");
const QString kGenericPdfDriver = QStringLiteral("/usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd");
// cups-pdf reads the settings of a printer from here, whatever scheduler runs it.
const QString kCupsPdfSettings = QStringLiteral("/etc/cups");

QString FindTool(const QString& tool)
{
    QString exe = QStandardPaths::findExecutable(tool);
    if (exe.isEmpty())
        exe = QStandardPaths::findExecutable(
            tool, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin"), QStringLiteral("/sbin")});
    return exe;
}

bool WriteText(const QString& path, const QString& text)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text.toUtf8()) == text.toUtf8().size();
}

// PDF files of a folder, oldest first.
QFileInfoList PdfFiles(const QString& folder)
{
    return QDir(folder).entryInfoList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Time | QDir::Reversed);
}

} // namespace

CupsSpooler::CupsSpooler()
{
    env_ = QProcessEnvironment::systemEnvironment();
    if (FindTool(QStringLiteral("lpadmin")).isEmpty() || FindTool(QStringLiteral("lpstat")).isEmpty()) {
        Fail(QStringLiteral("the CUPS tools (lpadmin, lpstat) are not installed; scripts/install-deps.sh installs "
                            "the Debian package cups"));
        return;
    }
    if (!QFileInfo::exists(kCupsPdfDriver)) {
        Fail(QStringLiteral("cups-pdf is not installed (no %1); scripts/install-deps.sh installs the Debian "
                            "package printer-driver-cups-pdf")
                 .arg(kCupsPdfDriver));
        return;
    }
    if (geteuid() != 0) {
        Fail(QStringLiteral("the print tests start a spooler of their own, which needs root (the cups-pdf "
                            "backend runs as root)"));
        return;
    }
    if (StartOwnScheduler()) cupsSetServer(socket_.toLocal8Bit().constData());
}

CupsSpooler::~CupsSpooler()
{
    // The program's printing goes back to the machine's spooler.
    cupsSetServer(nullptr);
    // Also a scheduler that started but never answered.
    if (cupsd_ && cupsd_->state() != QProcess::NotRunning) {
        cupsd_->terminate();
        if (!cupsd_->waitForFinished(15000)) {
            cupsd_->kill();
            cupsd_->waitForFinished(5000);
        }
    }
    for (const QString& f : configFiles_) QFile::remove(f);
}

QString CupsSpooler::Fail(const QString& why)
{
    if (failure_.isEmpty()) failure_ = why;
    return QString();
}

QString CupsSpooler::Run(const QString& tool, const QStringList& args, bool* ok)
{
    if (ok) *ok = false;
    const QString exe = FindTool(tool);
    if (exe.isEmpty()) return Fail(tool + QStringLiteral(" is not installed"));
    QProcess p;
    p.setProcessEnvironment(env_);
    p.start(exe, args);
    p.closeWriteChannel();  // nothing to read from: CI has no standard input
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished(5000);
        return Fail(QStringLiteral("%1 %2 did not finish").arg(tool, args.join(QLatin1Char(' '))));
    }
    const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        Fail(QStringLiteral("%1 %2 failed: %3%4")
                 .arg(tool, args.join(QLatin1Char(' ')), QString::fromLocal8Bit(p.readAllStandardError()),
                      QStringLiteral("\n") + LogTail()));
        return out;
    }
    if (ok) *ok = true;
    return out;
}

bool CupsSpooler::StartOwnScheduler()
{
    const QString cupsd = FindTool(QStringLiteral("cupsd"));
    if (cupsd.isEmpty()) {
        Fail(QStringLiteral("cupsd is not installed; scripts/install-deps.sh installs the Debian package cups"));
        return false;
    }
    // A short folder: a local socket's path is limited to about 100 bytes.
    QString base = QDir::tempPath();
    if (base.size() > 40) base = QStringLiteral("/tmp");
    dir_ = std::make_unique<QTemporaryDir>(base + QStringLiteral("/slipcups-XXXXXX"));
    if (!dir_->isValid()) {
        Fail(QStringLiteral("no temporary folder for the spooler: ") + dir_->errorString());
        return false;
    }
    const QString root = dir_->path();
    // The scheduler runs its filters as an unprivileged user, who must reach
    // the spool folders below this one.
    QFile::setPermissions(root, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                    | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    for (const char* sub : {"etc/ppd", "spool/tmp", "cache", "state", "log", "out", "pdf-spool", "gs-tmp"})
        QDir(root).mkpath(QLatin1String(sub));
    QFile::setPermissions(root + QStringLiteral("/out"), QFileDevice::Permissions(0x7777));
    socket_ = root + QStringLiteral("/cups.sock");

    const QString conf = QStringLiteral(
        "Listen %1\n"
        "LogLevel debug\n"
        "MaxLogSize 0\n"
        "Browsing No\n"
        "BrowseLocalProtocols none\n"
        "WebInterface No\n"
        "DefaultShared No\n"
        "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
        "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
                             .arg(socket_);
    const QString files = QStringLiteral(
        "ServerRoot %1/etc\n"
        "RequestRoot %1/spool\n"
        "TempDir %1/spool/tmp\n"
        "CacheDir %1/cache\n"
        "StateDir %1/state\n"
        "ErrorLog %1/log/error_log\n"
        "AccessLog %1/log/access_log\n"
        "PageLog %1/log/page_log\n"
        "Printcap %1/printcap\n"
        "FileDevice Yes\n"
        "FatalErrors none\n"
        "Sandboxing Relaxed\n")
                              .arg(root);
    if (!WriteText(root + QStringLiteral("/etc/cupsd.conf"), conf)
        || !WriteText(root + QStringLiteral("/etc/cups-files.conf"), files)) {
        Fail(QStringLiteral("cannot write the spooler's configuration into ") + root);
        return false;
    }

    cupsd_ = std::make_unique<QProcess>();
    cupsd_->setProcessChannelMode(QProcess::MergedChannels);
    cupsd_->setStandardOutputFile(root + QStringLiteral("/log/cupsd.out"));
    cupsd_->setStandardInputFile(QProcess::nullDevice());
    cupsd_->start(cupsd, {QStringLiteral("-f"), QStringLiteral("-c"), root + QStringLiteral("/etc/cupsd.conf"),
                          QStringLiteral("-s"), root + QStringLiteral("/etc/cups-files.conf")});
    if (!cupsd_->waitForStarted(10000)) {
        Fail(QStringLiteral("cupsd did not start: ") + cupsd_->errorString());
        return false;
    }
    env_.insert(QStringLiteral("CUPS_SERVER"), socket_);
    const QDateTime until = QDateTime::currentDateTime().addSecs(20);
    while (QDateTime::currentDateTime() < until) {
        if (cupsd_->state() == QProcess::NotRunning) break;
        if (QFileInfo::exists(socket_)) {
            QProcess p;
            p.setProcessEnvironment(env_);
            p.start(FindTool(QStringLiteral("lpstat")), {QStringLiteral("-r")});
            p.closeWriteChannel();
            if (p.waitForFinished(10000) && QString::fromLocal8Bit(p.readAllStandardOutput())
                                                .contains(QStringLiteral("scheduler is running")))
                return true;
        }
        QThread::msleep(100);
    }
    QFile out(root + QStringLiteral("/log/cupsd.out"));
    out.open(QIODevice::ReadOnly);
    Fail(QStringLiteral("the spooler of the tests did not come up: %1\n%2")
             .arg(QString::fromLocal8Bit(out.readAll()), LogTail()));
    return false;
}

QString CupsSpooler::OutputFolder(const QString& printer) const
{
    return dir_->path() + QStringLiteral("/out/") + printer;
}

QString CupsSpooler::AddPdfPrinter(const QStringList& lpadminOptions)
{
    return AddCupsPdfPrinter(kCupsPdfDriver, lpadminOptions);
}

QString CupsSpooler::AddA4OnlyPdfPrinter(const QStringList& lpadminOptions)
{
    if (!Ok()) return QString();
    QFile in(kCupsPdfDriver);
    if (!in.open(QIODevice::ReadOnly)) return Fail(QStringLiteral("cannot read ") + kCupsPdfDriver);
    // The cups-pdf driver with every paper but A4 and the custom size taken out.
    QStringList kept;
    bool inCustom = false;
    for (const QString& line : QString::fromLatin1(in.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("*CustomPageSize"))) inCustom = true;
        if (inCustom) {
            if (line.startsWith(QLatin1String("*End"))) inCustom = false;
            continue;
        }
        static const QRegularExpression paper(
            QStringLiteral("^\\*(PageSize|PageRegion|ImageableArea|PaperDimension) ([^/]+)/"));
        const auto m = paper.match(line);
        if (m.hasMatch() && m.captured(2) != QLatin1String("A4")) continue;
        if (line.startsWith(QLatin1String("*ParamCustomPageSize")) || line.contains(QLatin1String("*CustomPageSize"))
            || line.startsWith(QLatin1String("*MaxMedia")))
            continue;
        if (line.startsWith(QLatin1String("*VariablePaperSize"))) {
            kept << QStringLiteral("*VariablePaperSize: False");
            continue;
        }
        kept << line;
    }
    const QString driver = dir_->path() + QStringLiteral("/etc/ppd/a4-only-%1.ppd").arg(printers_.size() + 1);
    if (!WriteText(driver, kept.join(QLatin1Char('\n')))) return Fail(QStringLiteral("cannot write ") + driver);
    return AddCupsPdfPrinter(driver, lpadminOptions);
}

QString CupsSpooler::AddCupsPdfPrinter(const QString& driver, const QStringList& lpadminOptions)
{
    if (!Ok()) return QString();
    const QString name = QStringLiteral("slipprint-pdf-%1-%2").arg(getpid()).arg(printers_.size() + 1);
    const QString folder = OutputFolder(name);
    QDir().mkpath(folder);
    const QString settings = QStringLiteral("%1/cups-pdf-%2.conf").arg(kCupsPdfSettings, name);
    const QString text = QStringLiteral("Out %1\nAnonDirName %1\nSpool %2/pdf-spool\nLog %2/log\nLogType 3\n"
                                        "GSTmp %2/gs-tmp\n")
                             .arg(folder, dir_->path());
    if (!WriteText(settings, text))
        return Fail(QStringLiteral("cannot write %1: cups-pdf takes a printer's output folder only from there")
                        .arg(settings));
    configFiles_ << settings;
    bool ok = false;
    Run(QStringLiteral("lpadmin"),
        QStringList{QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"), QStringLiteral("cups-pdf:/") + name,
                    QStringLiteral("-P"), driver}
            + lpadminOptions,
        &ok);
    if (!ok) return QString();
    printers_ << name;
    return name;
}

QString CupsSpooler::AddMarginedPdfPrinter(const QStringList& lpadminOptions)
{
    if (!Ok()) return QString();
    if (!QFileInfo::exists(kGenericPdfDriver))
        return Fail(QStringLiteral("the generic PDF printer driver %1 is missing (Debian package cups-filters)")
                        .arg(kGenericPdfDriver));
    const QString name = QStringLiteral("slipprint-margins-%1-%2").arg(getpid()).arg(printers_.size() + 1);
    const QString folder = OutputFolder(name);
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFileDevice::Permissions(0x7777));
    const QString file = folder + QStringLiteral("/sheet.out");
    bool ok = false;
    Run(QStringLiteral("lpadmin"),
        QStringList{QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
                    QStringLiteral("file://") + file, QStringLiteral("-P"), kGenericPdfDriver}
            + lpadminOptions,
        &ok);
    if (!ok) return QString();
    printers_ << name;
    files_[name] = file;
    return name;
}

QString CupsSpooler::WaitForOutput(const QString& printer, int timeoutMs)
{
    if (!Ok()) return QString();
    QDateTime until = QDateTime::currentDateTime().addMSecs(timeoutMs);
    bool jobsDone = false;
    static int taken = 0;
    while (QDateTime::currentDateTime() < until) {
        bool ok = false;
        const QString pending = Run(QStringLiteral("lpstat"), {QStringLiteral("-o"), printer}, &ok);
        if (!ok) return QString();
        if (pending.trimmed().isEmpty()) {
            // A job that ended without a file (a filter gave up) is not
            // waited for long.
            if (!jobsDone) until = std::min(until, QDateTime::currentDateTime().addSecs(10));
            jobsDone = true;
            if (files_.contains(printer)) {
                // One file for every job: taken away under a name of its own.
                const QString file = files_[printer];
                if (QFileInfo(file).size() > 0) {
                    const QString kept = QStringLiteral("%1/job-%2.pdf").arg(QFileInfo(file).path()).arg(++taken);
                    if (QFile::rename(file, kept)) return kept;
                }
            } else {
                for (const QFileInfo& f : PdfFiles(OutputFolder(printer))) {
                    if (f.size() == 0 || seen_.contains(f.absoluteFilePath())) continue;
                    // Written completely once the job is over; moved aside so
                    // that the next job's file is told apart.
                    const QString kept = f.absolutePath() + QStringLiteral("/taken-%1.pdf").arg(++taken);
                    if (QFile::rename(f.absoluteFilePath(), kept)) {
                        seen_.insert(kept);
                        return kept;
                    }
                }
            }
        }
        QThread::msleep(200);
    }
    bool ok = false;
    const QString state = Run(QStringLiteral("lpstat"), {QStringLiteral("-l"), QStringLiteral("-p"), printer}, &ok);
    return Fail(QStringLiteral("printer %1 wrote no PDF (%2); printer state: %3\n%4")
                    .arg(printer,
                         jobsDone ? QStringLiteral("its jobs are over")
                                  : QStringLiteral("jobs still pending after %1 s").arg(timeoutMs / 1000),
                         state.trimmed(), LogTail()));
}

QString CupsSpooler::LogTail(int lines) const
{
    if (!dir_) return QString();
    QFile log(dir_->path() + QStringLiteral("/log/error_log"));
    if (!log.open(QIODevice::ReadOnly)) return QString();
    QStringList all = QString::fromLocal8Bit(log.readAll()).split(QLatin1Char('\n'));
    // The scheduler's own errors and the jobs' messages tell what went wrong.
    all.removeIf([](const QString& l) {
        return !(l.startsWith(QStringLiteral("E ")) || l.startsWith(QStringLiteral("W "))
                 || (l.contains(QStringLiteral("[Job ")) && !l.contains(QStringLiteral("envp["))
                     && !l.contains(QStringLiteral("cupsdMarkDirty"))
                     && !l.contains(QStringLiteral("cupsdSetBusyState"))));
    });
    return QStringLiteral("scheduler log:\n") + all.mid(std::max<qsizetype>(0, all.size() - lines)).join(QLatin1Char('\n'));
}

} // namespace slip::test
