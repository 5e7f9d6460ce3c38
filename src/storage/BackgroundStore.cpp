#include "storage/BackgroundStore.h"

#include "core/DataFolder.h"
#include "core/FileNames.h"
#include "core/TextNumber.h"
#include "storage/Database.h"
#include "storage/FormatStore.h"
#include "storage/SavedFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSet>
#include <QUuid>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace slip::BackgroundStore {

namespace {

QString OldRuleName(const QString& name) { return MapUnsafeFileNameChars(name); }

QImage ReadImage(const QString& path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return reader.read();
}

const QString kStagedPrefix = QStringLiteral(".staged-picture-");

} // namespace

QString FormatFileBase(const QString& formatName) { return DataFile(OldRuleName(formatName)); }

QString PicturePath(const QString& formatName)
{
    QString path = FormatFileBase(formatName);
    if (HasUnsafeFileNameChars(formatName)) {
        const QByteArray mark = QCryptographicHash::hash(formatName.toUtf8(), QCryptographicHash::Sha1).toHex().left(8);
        path += QLatin1Char('~') + QString::fromLatin1(mark);
    }
    return path + QStringLiteral(".jpg");
}

// Where older versions kept the picture of a name with such characters.
static QString OldRulePath(const QString& formatName) { return FormatFileBase(formatName) + QStringLiteral(".jpg"); }

// A picture kept under the old rule still belongs to the format, unless a
// format is itself named like that file: that file, else "".
static QString OldRuleFile(const QString& formatName)
{
    if (!HasUnsafeFileNameChars(formatName)) return QString();
    const QString old = OldRulePath(formatName);
    return QFileInfo(old).isFile() && !FormatStore::Exists(OldRuleName(formatName)) ? old : QString();
}

QString ExistingPicture(const QString& formatName)
{
    const QString path = PicturePath(formatName);
    return QFileInfo(path).isFile() ? path : OldRuleFile(formatName);
}

bool HasPicture(const QString& formatName) { return !ExistingPicture(formatName).isEmpty(); }

QStringList PictureOwners(const QString& path, const QString& except)
{
    const QFileInfo at(path);
    if (QDir(at.absolutePath()) != QDir(DataFolder())) return {};
    const QStringList names = FmtColumnValues(QStringLiteral("Fmt"));
    const auto ownersBy = [&](const auto& pictureOf) {
        QStringList owners;
        for (const QString& name : names)
            if (QFileInfo(pictureOf(name)).fileName() == at.fileName()) owners << name;
        return owners;
    };
    // The file under a format's own name is that format's; one under the old
    // rule is the picture of every format that has none under its own.
    QStringList owners = ownersBy(PicturePath);
    if (owners.isEmpty())
        owners = ownersBy([](const QString& name) {
            return QFileInfo(PicturePath(name)).isFile() ? QString() : OldRulePath(name);
        });
    owners.removeAll(except);
    return owners;
}

QStringList PictureFiles(const QString& formatName)
{
    QStringList files;
    if (const QString own = PicturePath(formatName); QFileInfo(own).isFile()) files << own;
    if (const QString old = OldRuleFile(formatName); !old.isEmpty()) files << old;
    return files;
}

QImage Load(const QString& formatName)
{
    const QString path = ExistingPicture(formatName);
    return path.isEmpty() ? QImage() : ReadImage(path);
}

// Once the picture lives under the new rule, the old rule's file goes.
static void DropOldRuleFile(const QString& formatName)
{
    if (const QString old = OldRuleFile(formatName); !old.isEmpty()) QFile::remove(old);
}

bool IsPictureFileName(const QString& chosenFile)
{
    return chosenFile.right(4).toLower() == QStringLiteral(".jpg");
}

StoreResult Replace(const QString& formatName, const QString& chosenFile)
{
    if (chosenFile.isEmpty() || !QFileInfo(chosenFile).isFile())
        return StoreResult::Failed(QStringLiteral("找不到所选的图片文件！"));
    if (!IsPictureFileName(chosenFile) || ReadImage(chosenFile).isNull())
        return StoreResult::Failed(QStringLiteral("所选文件不是可以读取的JPEG图片，原有底图未改变！"));
    // A picture for rows still to come (an import) is noted first, so that a
    // kill before the rows are stored leaves no picture without a format.
    // A failed copy takes its note back: the database stays as it was.
    qint64 note = 0;
    if (!FormatStore::Exists(formatName)) {
        note = InsertRow(QStringLiteral("INSERT INTO 底图待换(Fmt, Staged) VALUES(?, NULL)"), {formatName});
        if (note <= 0) return StoreResult::Failed(QStringLiteral("底图复制失败，原有底图未改变！"));
    }
    if (const StoreResult written = SaveCopy(chosenFile, PicturePath(formatName)); !written) {
        if (note > 0) ExecuteSql(QStringLiteral("DELETE FROM 底图待换 WHERE rowid=?"), {note});
        return StoreResult::Failed(QStringLiteral("底图复制失败，原有底图未改变！") + written.error);
    }
    DropOldRuleFile(formatName);
    return StoreResult::Ok();
}

StoreResult Remove(const QString& formatName)
{
    for (;;) {
        const QString path = ExistingPicture(formatName);
        if (path.isEmpty()) return StoreResult::Ok();
        QFile f(path);
        if (!f.remove()) return StoreResult::Failed(QStringLiteral("底图文件无法删除！（") + f.errorString() + QStringLiteral("）"));
    }
}

StagedPicture StageNone() { return {}; }

StoreResult StageCopyOf(const QString& fromFormat, StagedPicture& out)
{
    out = StageNone();
    const QString from = fromFormat.isEmpty() ? QString() : ExistingPicture(fromFormat);
    if (from.isEmpty()) return StoreResult::Ok();
    const QImage image = ReadImage(from);
    const QString file = kStagedPrefix + QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral(".jpg");
    const StoreResult written =
        image.isNull() ? StoreResult::Failed(QString()) : SaveCopy(from, DataFile(file));
    if (!written) return StoreResult::Failed(QStringLiteral("底图复制失败！") + written.error);
    out.file = file;
    return StoreResult::Ok();
}

void Discard(const StagedPicture& staged)
{
    if (!staged.file.isEmpty()) QFile::remove(DataFile(staged.file));
}

bool NoteChange(DbConnection& conn, const QString& formatName, const StagedPicture& staged)
{
    // "" (not null) is "no picture".
    const QString file = staged.file.isEmpty() ? QStringLiteral("") : staged.file;
    return ExecuteSql(QStringLiteral("INSERT INTO 底图待换(Fmt, Staged) VALUES(?, ?)"), {formatName, file}, &conn);
}

StoreResult SettleChanges(const QString& formatName)
{
    const Recordset rs = OpenRecordset(
        QStringLiteral("SELECT rowid, Staged FROM 底图待换 WHERE Fmt=? ORDER BY rowid"), {formatName});
    if (!rs.ok) return StoreResult::Failed(rs.error);
    if (rs.isEmpty()) return StoreResult::Ok();
    // A read that fails decides nothing: no picture goes on a guess.
    const Recordset rows = OpenRecordset(QStringLiteral("SELECT ID FROM Fmt WHERE Fmt=? LIMIT 1"), {formatName});
    if (!rows.ok) return StoreResult::Failed(rows.error);
    const bool formatStored = !rows.isEmpty();
    // In the order noted: the last change is the one that stays.
    for (const auto& row : rs.rows) {
        const QVariant staged = row[1];
        StoreResult r;
        if (staged.isNull()) {
            // A picture put there for rows that never came.
            if (!formatStored) r = Remove(formatName);
        } else if (staged.toString().isEmpty()) {
            r = Remove(formatName);
        } else if (const QString file = DataFile(staged.toString()); QFileInfo(file).isFile()) {
            // (No file: it was put in place before the note was forgotten.)
            if (std::rename(QFile::encodeName(file).constData(), QFile::encodeName(PicturePath(formatName)).constData()) != 0)
                r = StoreResult::Failed(QStringLiteral("底图无法放入数据文件夹！（") + QString::fromLocal8Bit(std::strerror(errno)) + QStringLiteral("）"));
            else
                DropOldRuleFile(formatName);
        }
        if (!r) return r;
    }
    ExecuteSql(QStringLiteral("DELETE FROM 底图待换 WHERE Fmt=? AND rowid<=?"), {formatName, rs.rows.last()[0]});
    return StoreResult::Ok();
}

void SettleAllChanges()
{
    const Recordset names = OpenRecordset(QStringLiteral("SELECT DISTINCT Fmt FROM 底图待换"));
    if (!names.ok) return;
    for (const auto& row : names.rows) SettleChanges(row[0].toString());
    // Staged files of saves killed before their commit: no note names them.
    const Recordset noted = OpenRecordset(QStringLiteral("SELECT Staged FROM 底图待换 WHERE Staged IS NOT NULL"));
    if (!noted.ok) return;
    QSet<QString> keep;
    for (const auto& row : noted.rows) keep.insert(row[0].toString());
    const QDir folder(DataFolder());
    const QStringList staged = folder.entryList({kStagedPrefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& file : staged)
        if (!keep.contains(file)) QFile::remove(folder.filePath(file));
}

PreviewLayout ComputePreviewLayout(const QSize& pictureSize, double frameWidth, double frameHeight)
{
    PreviewLayout p;
    if (pictureSize.width() <= 0 || frameHeight <= 0) return p;
    p.imageHeight = frameWidth * pictureSize.height() / pictureSize.width();
    if (p.imageHeight > frameHeight) {
        p.scrollEnabled = true;
        p.scrollMax = int(RoundHalfEven(p.imageHeight / frameHeight * 10));
    }
    return p;
}

} // namespace slip::BackgroundStore
