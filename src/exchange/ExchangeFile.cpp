#include "exchange/ExchangeFile.h"

#include "core/TextNumber.h"
#include "exchange/FileSave.h"
#include "model/SlipFormat.h"
#include "storage/BackgroundStore.h"
#include "storage/Database.h"
#include "storage/FormatStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QLocale>
#include <QSet>
#include <cmath>
#include <limits>

namespace slip {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

bool IsFlagField(int f) { return f >= FieldBold && f <= FieldStrikethru; }
bool IsTextField(int f) { return f == FieldLBL || f == FieldFName || f == FieldMem; }

// A number as plain decimal text, as short as it can be while reading back to
// the same double: an exchanged box lands exactly where it was.
QString PlainNumber(double v)
{
    if (!std::isfinite(v)) return QStringLiteral("0");
    QString t = QString::number(v, 'f', QLocale::FloatingPointShortest);
    if (t == QStringLiteral("-0")) t = QStringLiteral("0");
    return t;
}

bool FlagSet(const QVariant& v)
{
    if (v.isNull() || !v.isValid()) return false;
    const QString t = v.toString().trimmed().toLower();
    return !(t.isEmpty() || t == QStringLiteral("0") || t == QStringLiteral("false"));
}

QString EncodeText(int field, const QString& text)
{
    if (field == FieldLBL) return QString(text).replace(kCrLf, ExchangeLabelBreak());
    if (field == FieldMem) return QString(text).replace(kCrLf, ExchangeMemoBreak());
    return text;
}

QString DecodeFieldText(int field, const QString& text)
{
    if (field == FieldLBL) return QString(text).replace(ExchangeLabelBreak(), kCrLf);
    if (field == FieldMem) return QString(text).replace(ExchangeMemoBreak(), kCrLf);
    return text;
}

// Whether a text field comes back from the file as it went in.
bool TextTravels(int field, const QString& text)
{
    const QString written = EncodeText(field, text);
    if (written.contains(ExchangeFieldSeparator())) return false;
    return DecodeFieldText(field, written) == text;
}

bool RecordTravels(const BoxRecord& r)
{
    for (int f = 0; f < kBoxFieldCount; ++f)
        if (IsTextField(f) && r[f].isValid() && !r[f].isNull() && !TextTravels(f, r[f].toString())) return false;
    return true;
}

QString KindName(BoxKind k)
{
    switch (k) {
    case BoxKind::Text: return QStringLiteral("文本框");
    case BoxKind::Check: return QStringLiteral("复选框");
    case BoxKind::Picture: return QStringLiteral("图片框");
    case BoxKind::Line: return QStringLiteral("线条");
    case BoxKind::Label: return QStringLiteral("标签");
    }
    return QString();
}

QString UnrecognisedText(const QString& path)
{
    return QStringLiteral("无法识别此文件，请确认文件：“") + QDir::toNativeSeparators(path) +
           QStringLiteral("”为进账单格式文件！");
}

QString BrokenFileText() { return QStringLiteral("格式文件有错！"); }

bool HasLineBreak(const QString& t) { return t.contains(QLatin1Char('\r')) || t.contains(QLatin1Char('\n')); }

// Writes bytes through a temporary file beside the target.
bool WriteBytes(const QByteArray& bytes, const QString& path, QString* error)
{
    return SaveFileThroughTemp(bytes, path, path + QStringLiteral(".TMP"), error) == kSaved;
}

QByteArray ReadAllBytes(const QString& path, bool* ok)
{
    QFile f(path);
    *ok = f.open(QIODevice::ReadOnly);
    if (!*ok) return {};
    QByteArray b = f.readAll();
    *ok = f.error() == QFileDevice::NoError;
    return b;
}

} // namespace

QString ExchangeMagicLine() { return QStringLiteral("<Tamberlow格式专用>"); }
QString ExchangeFieldSeparator() { return QStringLiteral("】★【"); }
QString ExchangeLabelBreak() { return QStringLiteral("‖‖‖"); }
QString ExchangeMemoBreak() { return QStringLiteral("♂♂"); }
QString ExchangeFileFilter() { return QStringLiteral("模板交换文件(*.tvq)|*.tvq"); }

QString ExchangeCategoryLine(const QString& formatName)
{
    if (formatName.contains(QStringLiteral("进账单"))) return formatName;
    return QStringLiteral("进账单_") + formatName;
}

QString ExchangeFilePath(const QString& chosenPath)
{
    if (chosenPath.right(4).toLower() == QStringLiteral(".tvq")) return chosenPath;
    return chosenPath + QStringLiteral(".tvq");
}

QString ExchangePicturePath(const QString& exchangePath)
{
    const QFileInfo info(exchangePath);
    return QDir(info.path()).filePath(info.completeBaseName() + QStringLiteral(".jpg"));
}

QString ExchangeNameFromPath(const QString& exchangePath)
{
    return QFileInfo(exchangePath).completeBaseName();
}

QString DescribeBox(const Box& box, int numberInKind)
{
    QString text = KindName(box.kind) + QString::number(numberInKind);
    if (box.kind != BoxKind::Line && !box.caption.isEmpty())
        text += QStringLiteral("“") + box.caption + QStringLiteral("”");
    return text;
}

// --- Writing -----------------------------------------------------------------

QStringList ExchangeFields(const BoxRecord& r)
{
    QStringList fields;
    fields.reserve(kBoxFieldCount);
    for (int f = 0; f < kBoxFieldCount; ++f) {
        const QVariant& v = r[f];
        if (IsFlagField(f)) {
            // A flag is never empty: "False" is what an unset one reads as.
            fields << (FlagSet(v) ? QStringLiteral("True") : QStringLiteral("False"));
        } else if (!v.isValid() || v.isNull()) {
            fields << QString();
        } else if (IsTextField(f)) {
            fields << EncodeText(f, v.toString());
        } else {
            bool ok = false;
            const double d = v.toDouble(&ok);
            fields << (ok ? PlainNumber(d) : PlainNumber(Val(v.toString())));
        }
    }
    return fields;
}

BoxRecord HeaderRecord(const FormatHeader& h, int screenWidthTwips)
{
    BoxRecord r;
    r[FieldID] = 0;
    r[FieldLBL] = HeaderLabel();
    r[FieldX] = h.offsetXMm;
    r[FieldY] = h.offsetYMm;
    r[FieldW] = h.widthMm;
    r[FieldH] = h.heightMm;
    r[FieldColor] = screenWidthTwips;
    r[FieldMem] = EncodeOptionList(h.options);
    return r;
}

ExchangeText BuildExchangeText(const QString& formatName, const FormatHeader& header,
                               const std::vector<Box>& boxes, int screenWidthTwips)
{
    ExchangeText out;
    QStringList lines;
    lines << ExchangeMagicLine() << ExchangeCategoryLine(formatName);
    int numbers[kBoxKindCount] = {0, 0, 0, 0, 0};
    for (const Box& b : boxes) {
        const int n = ++numbers[int(b.kind)];
        const BoxRecord r = EncodeBox(b, {});
        if (!RecordTravels(r)) out.unsafeBoxes << DescribeBox(b, n);
        lines << ExchangeFields(r).join(ExchangeFieldSeparator());
    }
    const BoxRecord head = HeaderRecord(header, screenWidthTwips);
    if (!RecordTravels(head)) out.unsafeBoxes << QStringLiteral("单据整体格式参数");
    lines << ExchangeFields(head).join(ExchangeFieldSeparator());
    out.text = lines.join(kCrLf);
    return out;
}

// --- Reading -----------------------------------------------------------------

QStringList ExchangeLines(const QString& text)
{
    if (!text.contains(kCrLf) && text.contains(QLatin1Char('\n'))) return text.split(QLatin1Char('\n'));
    return text.split(kCrLf);
}

QStringList ExchangeRecordLines(const QStringList& lines)
{
    QStringList records = lines.mid(2);
    const QString sep = ExchangeFieldSeparator();
    // From the last line up to the second record line: a short piece belongs
    // to the line before it.
    for (qsizetype i = records.size() - 1; i >= 1; --i) {
        const QString& line = records[i];
        if (line.isEmpty() || line.count(sep) + 1 < 21) {
            records[i - 1] += kCrLf + line;
            records.removeAt(i);
        }
    }
    return records;
}

bool ExchangeRecord(const QStringList& fields, BoxRecord& out)
{
    if (fields.size() < 21 || fields.size() > 23) return false;
    out = BoxRecord();
    for (int f = 0; f < kBoxFieldCount; ++f) {
        if (f >= fields.size()) {
            out[f] = 0.0;   // a line without SumID1
            continue;
        }
        const QString& raw = fields[f];
        if (IsTextField(f)) {
            out[f] = DecodeFieldText(f, raw);
        } else if (IsFlagField(f)) {
            out[f] = raw.trimmed().toLower() == QStringLiteral("true") ? 1 : 0;
        } else {
            const QString t = raw.trimmed();
            // Only a text field may hold a line break: one in a number is
            // where a cut-off line was joined on.
            if (HasLineBreak(t)) return false;
            out[f] = t.isEmpty() ? QVariant() : QVariant(Val(t));
        }
    }
    return true;
}

ExchangeContent ReadExchangeText(const QString& text, const QString& path)
{
    ExchangeContent c;
    const QStringList lines = ExchangeLines(text);
    if (lines.size() < 3 || lines[0] != ExchangeMagicLine()) {
        c.error = UnrecognisedText(path);
        return c;
    }
    c.categoryLine = lines[1];
    if (!c.categoryLine.contains(QStringLiteral("进账单"))) {
        c.error = QStringLiteral("此格式不属于进账单，无法导入！");
        return c;
    }
    bool haveHeader = false;
    QSet<qint64> taken;
    std::vector<BoxRecord> records;
    for (const QString& line : ExchangeRecordLines(lines)) {
        BoxRecord r;
        if (!ExchangeRecord(line.split(ExchangeFieldSeparator()), r)) {
            c.error = BrokenFileText();
            return c;
        }
        if (r[FieldLBL].toString() == HeaderLabel()) {
            if (haveHeader) continue;   // the first header record counts, as it does when loading
            haveHeader = true;
            auto number = [&](int f, double& target) {
                if (!r[f].isNull()) target = r[f].toDouble();
            };
            number(FieldW, c.header.widthMm);
            number(FieldH, c.header.heightMm);
            number(FieldX, c.header.offsetXMm);
            number(FieldY, c.header.offsetYMm);
            c.screenWidth = r[FieldColor];
            ApplyOptionList(r[FieldMem].toString(), c.header.options);
            continue;
        }
        records.push_back(r);
    }
    if (!haveHeader || !(c.header.widthMm > 0) || !(c.header.heightMm > 0) ||
        !std::isfinite(c.header.widthMm) || !std::isfinite(c.header.heightMm)) {
        c.error = BrokenFileText();
        return c;
    }
    int counts[kBoxKindCount] = {0, 0, 0, 0, 0};
    std::vector<qint64> oldIds;
    for (const BoxRecord& r : records) {
        Box b;
        if (!DecodeBox(r, 1.0, b)) {
            ++c.skipped;
            continue;
        }
        if (++counts[int(b.kind)] > kMaxBoxesPerKind) {
            c.error = BrokenFileText();
            return c;
        }
        const double id = r[FieldID].isNull() ? 0 : r[FieldID].toDouble();
        const qint64 whole = RoundHalfEven(id);
        oldIds.push_back(whole >= 1 && whole <= std::numeric_limits<BoxId>::max() && !taken.contains(whole) ? whole : 0);
        if (oldIds.back() != 0) taken.insert(whole);
        c.boxes.push_back(b);
    }
    // Lines without a usable ID of their own get temporary ones no reference
    // can name.
    BoxId temp = 0;
    for (size_t i = 0; i < c.boxes.size(); ++i) c.boxes[i].id = oldIds[i] ? BoxId(oldIds[i]) : --temp;
    c.ok = true;
    return c;
}

// --- Export ------------------------------------------------------------------

ExportResult ExportFormatFile(const QString& name, const QString& chosenPath, Prompter& prompter,
                              int screenWidthTwips, const TextWriteRetry& retry)
{
    ExportResult result;
    if (chosenPath.trimmed().isEmpty()) {
        result.cancelled = true;
        return result;
    }
    if (!FormatStore::Exists(name)) {
        result.error = QStringLiteral("格式“") + name + QStringLiteral("”不存在，无法导出！");
        return result;
    }
    // Fonts go out for the screen they were stored for, so they come back
    // unchanged; a format stored without one gets this screen's.
    int width = screenWidthTwips;
    const QVariant stored = GetFieldWhere(QStringLiteral("Fmt"), QStringLiteral("Fmt=? AND LBL=?"),
                                          {name, HeaderLabel()}, QStringLiteral("Color"));
    const double storedWidth = Val(stored.toString());
    if (storedWidth > 340 && storedWidth < 1e7 && storedWidth == std::trunc(storedWidth)) width = int(storedWidth);

    StoredFormat format;
    FormatHeader base;
    base.name = name;
    if (const StoreResult r = FormatStore::Load(name, width, base, format); !r) {
        result.error = r.error;
        return result;
    }
    if (!format.hasHeader) {
        result.error = QStringLiteral("格式“") + name + QStringLiteral("”没有单据整体格式参数，无法导出！");
        return result;
    }
    const ExchangeText exchange = BuildExchangeText(name, format.header, format.boxes, width);
    result.unsafeBoxes = exchange.unsafeBoxes;

    const QString path = ExchangeFilePath(chosenPath);
    const QString picture = BackgroundStore::ExistingPicture(name);
    const QString besidePicture = ExchangePicturePath(path);
    const bool fileThere = QFileInfo::exists(path);
    const bool pictureThere = QFileInfo::exists(besidePicture);
    if (fileThere || pictureThere) {
        QString question = QStringLiteral("文件：“") + QDir::toNativeSeparators(fileThere ? path : besidePicture) +
                           QStringLiteral("”已经存在，是否覆盖？");
        if (fileThere && pictureThere)
            question += QStringLiteral("\r\n（同名图片“") + QDir::toNativeSeparators(besidePicture) +
                        (picture.isEmpty() ? QStringLiteral("”将被删除）") : QStringLiteral("”将被替换）"));
        if (prompter.Ask(question, PromptButtons::YesNo, PromptIcon::Question, QString(), PromptDefault::No)
            != PromptAnswer::Yes) {
            result.cancelled = true;
            return result;
        }
    }

    const TextWriteResult written = WriteTextFileRetry(exchange.text, path, retry);
    if (!written.ok || !QFileInfo(written.path).isFile()) {
        result.error = QStringLiteral("格式“") + name + QStringLiteral("”导出失败，文件“") +
                       QDir::toNativeSeparators(path) + QStringLiteral("”无法写入！") +
                       (written.error.isEmpty() ? QString() : QStringLiteral("\r\n") + written.error);
        return result;
    }
    result.ok = true;
    result.path = written.path;

    if (!picture.isEmpty()) {
        bool readOk = false;
        const QByteArray bytes = ReadAllBytes(picture, &readOk);
        QString why;
        if (readOk && WriteBytes(bytes, besidePicture, &why)) result.picturePath = besidePicture;
        else result.pictureError = QStringLiteral("底图无法复制到“") + QDir::toNativeSeparators(besidePicture) +
                                   QStringLiteral("”！") + (why.isEmpty() ? QString() : QStringLiteral("（") + why + QStringLiteral("）"));
    } else if (QFileInfo::exists(besidePicture) || QFileInfo(besidePicture).isSymLink()) {
        // An older picture beside the file would be taken for this format's.
        if (!QFile::remove(besidePicture))
            result.pictureError = QStringLiteral("旧图片“") + QDir::toNativeSeparators(besidePicture) +
                                  QStringLiteral("”无法删除，导入时会被当作此格式的底图！");
    }

    result.message = QStringLiteral("格式：“") + name + QStringLiteral("”导出完成！\r\n文件：") +
                     QDir::toNativeSeparators(result.path);
    if (!result.picturePath.isEmpty())
        result.message += QStringLiteral("\r\n底图：") + QDir::toNativeSeparators(result.picturePath);
    if (!result.pictureError.isEmpty()) result.message += QStringLiteral("\r\n") + result.pictureError;
    if (!result.unsafeBoxes.isEmpty())
        result.message += QStringLiteral("\r\n\r\n注意：以下内容框的文字含有交换文件的分隔符号（】★【、‖‖‖、♂♂），"
                                         "导入后将与原来不同，请检查：\r\n") +
                          result.unsafeBoxes.join(QStringLiteral("、"));
    return result;
}

// --- Import ------------------------------------------------------------------

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
    const TextReadResult read = ReadTextFile(path, false, options.read);
    if (!read.ok) {
        progress.End();
        result.error = read.error;
        return result;
    }
    const ExchangeContent content = ReadExchangeText(read.text, path);
    if (!content.ok) {
        progress.End();
        result.error = content.error;
        return result;
    }
    progress.Step(1, QStringLiteral("pages"));

    // The picture is looked at before anything is stored: one that can't be
    // read is left out rather than put in place of a picture.
    QString picture = ExchangePicturePath(path);
    if (!QFileInfo(picture).isFile()) {
        const QString upper = QFileInfo(picture).path() + QLatin1Char('/') + QFileInfo(picture).completeBaseName() +
                              QStringLiteral(".JPG");
        picture = QFileInfo(upper).isFile() ? upper : QString();
    }
    if (!picture.isEmpty()) {
        QImageReader reader(picture);
        reader.setDecideFormatFromContent(true);
        if (!reader.canRead()) {
            result.note = QStringLiteral("图片“") + QDir::toNativeSeparators(picture) +
                          QStringLiteral("”无法读取，格式未带底图导入。");
            picture.clear();
        }
    }

    // The name: asked again while it is taken or can't be a format's name.
    // No event is handled between the last look and the save, so the name is
    // still free when the records go in.
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
    progress.Start(QStringLiteral("正在导入格式..."), 3);
    progress.Step(1, QStringLiteral("pages"));

    // Fonts: kept for the screen the file names when it is a real one (the
    // format then loads as it did there), else fitted to this screen now.
    int width = options.screenWidthTwips;
    double factor = 1.0;
    const double fileWidth = content.screenWidth.isNull() ? 0 : content.screenWidth.toDouble();
    if (fileWidth > 340 && fileWidth < 1e7 && fileWidth == std::trunc(fileWidth)) width = int(fileWidth);
    else factor = ScreenFontFactor(content.screenWidth, options.screenWidthTwips);
    std::vector<Box> boxes = content.boxes;
    if (factor != 1.0)
        for (Box& b : boxes)
            if (b.kind != BoxKind::Line)
                b.font.pointSize = double(RoundHalfEven(b.font.pointSize * factor * 100)) / 100.0;

    SlipFormat format;
    FormatHeader header = content.header;
    header.name = name;
    format.Load(header, std::move(boxes));
    QHash<BoxId, BoxId> ids;
    if (const StoreResult saved = FormatStore::Save(format, name, true, width, ids); !saved) {
        progress.End();
        result.error = saved.error;
        return result;
    }
    // The picture, or none: a picture left under this name by anything before
    // must not show behind the new format.
    const StoreResult pictured = picture.isEmpty() ? BackgroundStore::Remove(name)
                                                   : BackgroundStore::Replace(name, picture);
    if (!pictured) {
        FormatStore::Delete(name);
        progress.End();
        result.error = QStringLiteral("格式“") + name + QStringLiteral("”导入失败，底图无法保存，格式库未改变！\r\n") +
                       pictured.error;
        return result;
    }
    progress.Step(1, QStringLiteral("pages"));
    progress.End();

    result.ok = true;
    result.name = name;
    if (content.skipped > 0)
        result.note += (result.note.isEmpty() ? QString() : QStringLiteral("\r\n")) +
                       QStringLiteral("有%1条无法识别的记录未导入。").arg(content.skipped);
    QString question = QStringLiteral("格式“") + name + QStringLiteral("”导入成功,立即调用此格式？");
    if (!result.note.isEmpty()) question = result.note + QStringLiteral("\r\n") + question;
    result.openNow = prompter.Ask(question, PromptButtons::YesNo, PromptIcon::Question, QString()) == PromptAnswer::Yes;
    return result;
}

} // namespace slip
