#include "exchange/FormatExchange.h"

#include "exchange/EventWait.h"
#include "core/CommonHelpers.h"
#include "core/TextNumber.h"
#include "exchange/ExchangeCodec.h"
#include "storage/BackgroundStore.h"
#include "storage/Database.h"
#include "storage/FormatStore.h"
#include "storage/SavedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <cmath>

namespace slip {

namespace {

QString Native(const QString& path) { return QDir::toNativeSeparators(path); }

QVector<ExchangeRow> StoredRows(const Recordset& rs)
{
    QVector<ExchangeRow> rows;
    const QStringList& fields = BoxRecordFields();
    for (int r = 0; r < rs.RecordCount(); ++r) {
        ExchangeRow row;
        for (int f = 0; f < kBoxFieldCount; ++f) row.fields[f] = rs.value(r, fields[f]);
        rows << row;
    }
    return rows;
}

// A reference carried over to the new IDs: the whole part names the old
// row, the sign and the fraction stay. One to a row not in the file is
// dropped.
QVariant Remapped(const QVariant& stored, const QHash<qint64, qint64>& ids)
{
    const double v = stored.isNull() ? 0 : stored.toDouble();
    if (v == 0) return stored;
    const double whole = std::floor(std::abs(v));
    const auto found = ids.constFind(qint64(whole));
    if (found == ids.constEnd()) return 0.0;
    return std::copysign(double(*found) + (std::abs(v) - whole), v);
}

// Adds the rows under `name`, and a header when they hold none, in one
// transaction. False with the reason.
StoreResult InsertRows(const QString& name, const QVector<ExchangeRow>& rows, int screenWidthTwips)
{
    const QStringList& fields = BoxRecordFields();
    QStringList columns = fields.mid(1);   // the database gives the ID
    columns << QStringLiteral("RCtl1");
    const QString insert = QStringLiteral("INSERT INTO Fmt(Fmt, %1) VALUES(?%2)")
                               .arg(columns.join(QStringLiteral(", ")), QStringLiteral(", ?").repeated(columns.size()));
    const QString failed = QStringLiteral("格式“") + name + QStringLiteral("”无法保存！");
    DbConnection conn;
    if (!conn.isOpen() || !conn.begin()) return StoreResult::Failed(ConnectionFailedText());
    QHash<qint64, qint64> ids;   // old ID (first line that has it) to new
    QVector<qint64> newIds;
    for (const ExchangeRow& row : rows) {
        QVariantList values{name};
        for (int f = 1; f < kBoxFieldCount; ++f) values << row.fields[f];
        values << (row.extra.isNull() ? QVariant(0.0) : row.extra);
        const qint64 id = InsertRow(insert, values, &conn);
        if (id <= 0) {
            conn.rollback();
            return StoreResult::Failed(failed);
        }
        newIds << id;
        const double old = row.fields[FieldID].isNull() ? 0 : row.fields[FieldID].toDouble();
        const qint64 oldId = RoundHalfEven(old);
        if (oldId > 0 && !ids.contains(oldId)) ids.insert(oldId, id);
    }
    for (int i = 0; i < rows.size(); ++i) {
        const BoxRecord& f = rows[i].fields;
        if (!ExecuteSql(QStringLiteral("UPDATE Fmt SET RCtl = ?, SumID = ?, SumID1 = ? WHERE ID = ?"),
                        {Remapped(f[FieldRCtl], ids), Remapped(f[FieldSumID], ids), Remapped(f[FieldSumID1], ids),
                         newIds[i]},
                        &conn)) {
            conn.rollback();
            return StoreResult::Failed(failed);
        }
    }
    // A file without a header gives the format a new one's, so that it is
    // listed and opens on a slip it can be shown at.
    if (const StoreResult mended = FormatStore::MendHeaders(screenWidthTwips, name, &conn); !mended) {
        conn.rollback();
        return StoreResult::Failed(failed + QStringLiteral("\r\n") + mended.error);
    }
    if (!conn.commit()) return StoreResult::Failed(failed);
    return StoreResult::Ok();
}

// "格式“A”、“B”": the formats a picture file belongs to.
QString FormatsNamed(const QStringList& names)
{
    return QStringLiteral("格式“") + names.join(QStringLiteral("”、“")) + QStringLiteral("”");
}

// "是格式“A”、“B”的底图，" and what becomes of the picture.
QString OwnedFate(const QStringList& owners, const QString& fate)
{
    return QStringLiteral("是") + FormatsNamed(owners) + QStringLiteral("的底图，") + fate;
}

// The question before a picture file's fate: "图片“path”" + fate + "，是否继续？".
QString PictureQuestion(const QString& picture, const QString& fate)
{
    return QStringLiteral("图片“") + Native(picture) + QStringLiteral("”") + fate + QStringLiteral("，是否继续？");
}

} // namespace

ExportResult ExportFormatFile(const QString& name, const QString& chosenPath, Prompter& prompter,
                              const TextWriteRetry& retry)
{
    ExportResult result;
    if (chosenPath.trimmed().isEmpty()) {
        result.cancelled = true;
        return result;
    }
    const Recordset rs = OpenRecordset(QStringLiteral("SELECT * FROM Fmt WHERE Fmt = ?"), {name});
    if (!rs.ok || rs.isEmpty()) {
        result.error = rs.ok ? QStringLiteral("格式“") + name + QStringLiteral("”不存在，无法导出！") : rs.error;
        return result;
    }
    const ExchangeText exchange = EncodeExchangeText(name, StoredRows(rs));
    result.unsafeRows = exchange.unsafeRows;

    const QString path = ExchangeFilePath(chosenPath);
    const QString picture = BackgroundStore::ExistingPicture(name);
    const QString besidePicture = ExchangePicturePath(path);
    const bool fileThere = QFileInfo::exists(path);
    const bool pictureThere = QFileInfo::exists(besidePicture);
    // The picture beside the file may be another format's: the operator
    // learns whose before it is replaced, removed or given to it.
    const QStringList owners =
        pictureThere || !picture.isEmpty() ? BackgroundStore::PictureOwners(besidePicture, name) : QStringList();
    QString fate = picture.isEmpty() ? QStringLiteral("将被删除") : QStringLiteral("将被替换");
    if (!owners.isEmpty())
        fate = pictureThere ? OwnedFate(owners, fate)
                            : QStringLiteral("将成为") + FormatsNamed(owners) + QStringLiteral("的底图");
    if (fileThere || pictureThere || !owners.isEmpty()) {
        QString question = !fileThere && !owners.isEmpty()
                               ? PictureQuestion(besidePicture, fate)
                               : QStringLiteral("文件：“") + Native(fileThere ? path : besidePicture) +
                                     QStringLiteral("”已经存在，是否覆盖？");
        if (fileThere && (pictureThere || !owners.isEmpty()))
            question += QStringLiteral("\r\n（同名图片“") + Native(besidePicture) + QStringLiteral("”") + fate +
                        QStringLiteral("）");
        if (prompter.Ask(question, PromptButtons::YesNo, PromptIcon::Question, QString(), PromptDefault::No)
            != PromptAnswer::Yes) {
            result.cancelled = true;
            return result;
        }
    }

    // The picture goes first and the file last: a kill between the two
    // never leaves this file beside an older picture, which its import
    // would take for this format's.
    const QString failed = QStringLiteral("格式“") + name + QStringLiteral("”导出失败！\r\n");
    if (!picture.isEmpty()) {
        if (const StoreResult copied = SaveCopy(picture, besidePicture); copied) result.picturePath = besidePicture;
        else result.pictureError = QStringLiteral("底图无法复制：") + copied.error;
    }
    if (result.picturePath.isEmpty() && (QFileInfo::exists(besidePicture) || QFileInfo(besidePicture).isSymLink())) {
        QFile old(besidePicture);
        if (!old.remove()) {
            const QString copy = result.pictureError.isEmpty() ? QString() : result.pictureError + QStringLiteral("\r\n");
            result.error = failed + copy +
                           WithSystemText(QStringLiteral("旧图片“") + Native(besidePicture) + QStringLiteral("”无法删除！"),
                                          old.errorString());
            return result;
        }
    }
    const TextWriteResult written = WriteTextFileRetry(exchange.text, path, retry);
    if (!written.ok) {
        result.error = failed + written.error;
        return result;
    }
    result.ok = true;
    result.path = written.path;

    result.message = QStringLiteral("格式：“") + name + QStringLiteral("”导出完成！");
    // What the operator must know besides: a file that went elsewhere than
    // chosen, a picture that did not go with it, texts that won't come back.
    QStringList notes;
    if (result.path != path) notes << QStringLiteral("文件已写入：") + Native(result.path);
    if (!result.pictureError.isEmpty()) notes << result.pictureError;
    if (!result.unsafeRows.isEmpty())
        notes << QStringLiteral("注意：以下各行的文字含有交换文件的分隔符号（】★【、‖‖‖、♂♂），"
                                "导入后将与原来不同，请检查：\r\n") +
                     result.unsafeRows.join(QStringLiteral("、"));
    result.warning = notes.join(QStringLiteral("\r\n\r\n"));
    return result;
}

FormatImportResult ImportFormatFile(const QString& rawPath, Prompter& prompter, ProgressReporter& progress,
                                    const ImportOptions& options)
{
    FormatImportResult result;
    const QString path = rawPath.trimmed();
    if (path.isEmpty()) {
        result.cancelled = true;
        return result;
    }
    progress.Start(QStringLiteral("正在导入格式..."), 3);
    auto fail = [&](const QString& error) {
        progress.End();
        result.error = error;
        return result;
    };
    const TextReadResult read = ReadTextFile(path, false, options.read);
    if (!read.ok) return fail(read.error);
    const ExchangeContent content = RunOffThread([&] { return DecodeExchangeText(read.text, path); });
    if (!content.ok) return fail(content.error);
    progress.Step(1, QStringLiteral("pages"));

    // Only the picture that came with this file: never one of some other
    // name that happens to lie beside it.
    QString picture = options.picture.value_or(ExchangePicturePath(path));
    if (!picture.isEmpty() && !QFileInfo(picture).isFile()) picture.clear();
    if (!picture.isEmpty()) {
        QImageReader reader(picture);
        reader.setDecideFormatFromContent(true);
        if (!reader.canRead()) {
            result.note = QStringLiteral("图片“") + Native(picture) + QStringLiteral("”无法读取，格式未带底图导入。");
            picture.clear();
        }
    }

    // The name: asked again while it is taken or can't be a format's name.
    QString name = options.formatName.trimmed();
    if (name.isEmpty()) name = ExchangeNameFromPath(path);
    if (name.isEmpty()) name = content.categoryLine;
    progress.End();
    for (;;) {
        const QString problem = FormatStore::NewNameProblem(name);
        if (problem.isEmpty() && !FormatStore::Exists(name)) break;
        const QString prompt = problem.isEmpty()
                                   ? QStringLiteral("格式：“") + name + QStringLiteral("”已存在，请另取格式名！")
                                   : problem + QStringLiteral("请另取格式名！");
        const std::optional<QString> answer = prompter.Input(prompt, QStringLiteral("格式名输入"), name);
        if (!answer || answer->trimmed().isEmpty()) {
            result.cancelled = true;
            return result;
        }
        name = answer->trimmed();
    }
    // A picture file of this name may be another format's: the operator
    // learns whose before the import replaces or removes it.
    for (const QString& file : BackgroundStore::PictureFiles(name)) {
        const QStringList owners = BackgroundStore::PictureOwners(file, name);
        if (owners.isEmpty()) continue;
        const bool replaced = !picture.isEmpty() && file == BackgroundStore::PicturePath(name);
        const QString fate =
            OwnedFate(owners, replaced ? QStringLiteral("将被替换") : QStringLiteral("将被删除"));
        if (prompter.Ask(PictureQuestion(file, fate), PromptButtons::YesNo, PromptIcon::Question, QString(),
                         PromptDefault::No)
            != PromptAnswer::Yes) {
            result.cancelled = true;
            return result;
        }
    }
    progress.Start(QStringLiteral("正在导入格式..."), 3);
    progress.Step(1, QStringLiteral("pages"));

    // The picture, or none, first: a picture left under this name by anything
    // before must not show behind the new format. Both are stored off the
    // window's thread.
    const QString failure = RunOffThread([&] {
        const StoreResult pictured = picture.isEmpty() ? BackgroundStore::Remove(name)
                                                       : BackgroundStore::Replace(name, picture);
        if (!pictured)
            return QStringLiteral("格式“") + name + QStringLiteral("”导入失败，底图无法保存，格式库未改变！\r\n") +
                   pictured.error;
        if (const StoreResult stored = InsertRows(name, content.rows, options.screenWidthTwips); !stored) {
            // The picture put there for the rows, and its note, go again.
            if (!picture.isEmpty()) BackgroundStore::SettleChanges(name);
            return QStringLiteral("格式“") + name + QStringLiteral("”导入失败，格式库未改变！\r\n") + stored.error;
        }
        return QString();
    });
    if (!failure.isEmpty()) return fail(failure);
    progress.Step(1, QStringLiteral("pages"));
    progress.End();

    result.ok = true;
    result.name = name;
    QString question = QStringLiteral("格式“") + name + QStringLiteral("”导入成功,立即调用此格式？");
    if (!result.note.isEmpty()) question = result.note + QStringLiteral("\r\n") + question;
    result.openNow = prompter.Ask(question, PromptButtons::YesNo, PromptIcon::Question, QString()) == PromptAnswer::Yes;
    return result;
}

} // namespace slip
