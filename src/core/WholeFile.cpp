#include "core/WholeFile.h"

#include "core/CommonHelpers.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace slip {

namespace {

// A full or failing disk: the write failed, whatever stands at the path.
bool DiskFault(int error) { return error == ENOSPC || error == EDQUOT || error == EIO || error == EFBIG; }

// The fill's way to the file: the content is gathered into pieces, each
// written with its result checked, so that no byte waits in a buffer whose
// failure no one hears of.
class CheckedWriter : public QIODevice {
public:
    explicit CheckedWriter(int fd) : fd_(fd) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
    bool isSequential() const override { return true; }

    // Writes what is still gathered; false when the system refused some of it.
    bool Drain()
    {
        qsizetype done = 0;
        while (error_ == 0 && done < pending_.size()) {
            const ssize_t n = ::write(fd_, pending_.constData() + done, size_t(pending_.size() - done));
            if (n > 0) done += n;
            else if (n == 0) error_ = ENOSPC;
            else if (errno != EINTR) error_ = errno;
        }
        pending_.clear();
        return error_ == 0;
    }
    // The system's error that stopped the writing; 0 when none did.
    int Error() const { return error_; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        if (error_ != 0) return -1;
        pending_.append(data, qsizetype(size));
        if (pending_.size() >= kPiece && !Drain()) return -1;
        return size;
    }

private:
    static constexpr qsizetype kPiece = 1 << 16;
    int fd_;
    QByteArray pending_;
    int error_ = 0;
};

// The file a link at path leads to, followed as far as it goes (a link to
// nothing names the file to make); path itself when the links go round.
QString LinkedFile(const QString& path)
{
    QFileInfo at(path);
    for (int depth = 0; depth < 128 && at.isSymLink(); ++depth) at.setFile(at.symLinkTarget());
    return at.isSymLink() ? path : at.filePath();
}

// Makes the new file beside target under a name no one else has; its
// descriptor, or -1 with the system's error.
int CreateBeside(const QString& target, mode_t mode, QByteArray& made, int& error)
{
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray suffix(".", 1);
        for (int i = 0; i < 6; ++i) suffix += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)];
        made = QFile::encodeName(target) + suffix;
        const int fd = ::open(made.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) return fd;
        error = errno;
        if (error != EEXIST) return -1;
    }
    return -1;
}

qint64 Milliseconds(const timespec& t) { return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000; }

void MakeNewerThan(int fd, const struct stat& old)
{
    struct stat now {};
    if (::fstat(fd, &now) != 0 || Milliseconds(now.st_mtim) > Milliseconds(old.st_mtim)) return;
    const qint64 later = Milliseconds(old.st_mtim) + 1;
    const timespec times[2] = {{0, UTIME_OMIT}, {time_t(later / 1000), long(later % 1000) * 1000000L}};
    ::futimens(fd, times);
}

// The rename reaches the disk with its folder's entry. The new file is in
// place whatever this finds: a folder that can't be read (one its user may
// only write into) is left to the system.
void SyncFolderOf(const QString& file)
{
    const int folder = ::open(QFile::encodeName(QFileInfo(file).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) return;
    ::fsync(folder);
    ::close(folder);
}

} // namespace

WholeFileWrite WriteWholeFile(const QString& path, const std::function<bool(QIODevice&)>& fill,
                              const WholeFileOptions& options)
{
    WholeFileWrite result;
    const auto failed = [&result](const QString& why, bool notReplaced) {
        result.ok = false;
        result.why = why;
        result.notReplaced = notReplaced;
        return result;
    };
    const QString target = LinkedFile(path);
    const QByteArray targetName = QFile::encodeName(target);
    struct stat old {};
    const bool replacing = ::stat(targetName.constData(), &old) == 0;
    if (replacing && S_ISDIR(old.st_mode)) return failed(SystemText(EISDIR), true);
    if (replacing && ::access(targetName.constData(), W_OK) != 0) return failed(SystemText(errno), true);

    // A file written over is the owner's alone until it has the old one's permissions.
    QByteArray made;
    int error = 0;
    const int fd = CreateBeside(target, options.ownerOnly || replacing ? 0600 : 0666, made, error);
    if (fd < 0) return failed(SystemText(error), replacing && !DiskFault(error));
    if (replacing && !options.ownerOnly) ::fchmod(fd, old.st_mode & 0777);

    QString why;
    {
        CheckedWriter out(fd);
        const bool filled = fill(out) && out.Drain();
        error = out.Error();
        if (filled && replacing) MakeNewerThan(fd, old);
        if (filled && ::fsync(fd) != 0) error = errno;
        if (!filled && error == 0) error = -1;  // the fill's own reason
    }
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error > 0) why = SystemText(error);
    if (error == 0 && options.check && !options.check(QFile::decodeName(made), why)) error = -1;
    if (error == 0 && ::rename(made.constData(), targetName.constData()) != 0) {
        error = errno;
        ::unlink(made.constData());
        return failed(SystemText(error), replacing && !DiskFault(error));
    }
    if (error != 0) {
        ::unlink(made.constData());
        return failed(why, false);
    }
    SyncFolderOf(target);
    return result;
}

} // namespace slip
