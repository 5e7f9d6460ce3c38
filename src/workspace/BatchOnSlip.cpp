#include "workspace/BatchOnSlip.h"

#include "batch/BatchNavigation.h"

namespace slip {

namespace {

// A text box without a caption holds the format's fixed text: no batch
// fills it, so no mapping offers it.
bool BatchFills(const Box& box) { return !(box.kind == BoxKind::Text && box.caption.isEmpty()); }

} // namespace

ImportMaps ImportBoxesOf(const SlipFormat& format, const QMap<qint32, QString>& storedMaps)
{
    ImportMaps maps;
    const struct {
        BoxKind kind;
        QVector<ImportBox>* list;
    } kinds[] = {{BoxKind::Text, &maps.textBoxes},
                 {BoxKind::Check, &maps.checkBoxes},
                 {BoxKind::Picture, &maps.pictureBoxes}};
    for (const auto& k : kinds) {
        for (const Box* b : format.BoxesOfKind(k.kind)) {
            if (!BatchFills(*b)) continue;
            ImportBox box;
            box.recordId = b->id;
            box.boxIndex = format.IndexOf(b->id);
            box.caption = b->caption;
            box.map = storedMaps.value(b->id);
            // The batch grid heads its column with this name too.
            box.caption = ImportBoxName(box);
            *k.list << box;
        }
    }
    return maps;
}

QString ImportBoxName(const ImportBox& box)
{
    if (!box.caption.trimmed().isEmpty()) return box.caption;
    static const QString kinds[] = {QStringLiteral("文本框"), QStringLiteral("勾选框"), QStringLiteral("图片框")};
    const int kind = box.boxIndex / 1000;
    const QString name = kind >= 0 && kind < 3 ? kinds[kind] : QString();
    return name + QString::number(box.boxIndex % 1000);
}

QVector<BoxId> PutBatchRecordOnSlip(SlipFormat& format, const BatchDataSet& batch, int record,
                                    const QString& lineBreakMarker, const std::function<void(BoxId)>& leave)
{
    QVector<BoxId> textBoxes;
    for (const SlipValue& v : FillSlipFromBatchRow(batch, record)) {
        const Box* box = format.Find(v.recordId);
        if (!box) continue;
        if (v.apply && BatchFills(*box)) format.SetStoredValue(box->id, v.value, lineBreakMarker);
        if (box->kind == BoxKind::Text) {
            textBoxes << box->id;
            if (leave) leave(box->id);
        }
    }
    return textBoxes;
}

} // namespace slip
