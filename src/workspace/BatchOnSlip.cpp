#include "workspace/BatchOnSlip.h"

#include "batch/BatchNavigation.h"

namespace slip {

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

QString UnmarkLineBreaks(const QString& value, const QString& lineBreakMarker)
{
    if (lineBreakMarker.isEmpty()) return value;
    QString v = value;
    v.replace(lineBreakMarker, QStringLiteral("\n"));
    return v;
}

QVector<BoxId> PutBatchRecordOnSlip(SlipFormat& format, const BatchDataSet& batch, int record,
                                    const QString& lineBreakMarker, const std::function<void(BoxId)>& leave)
{
    QVector<BoxId> textBoxes;
    for (const SlipValue& v : FillSlipFromBatchRow(batch, record)) {
        const Box* box = format.Find(v.recordId);
        if (!box) continue;
        switch (box->kind) {
        case BoxKind::Text:
            if (v.apply) format.SetValue(box->id, UnmarkLineBreaks(v.value, lineBreakMarker));
            textBoxes << box->id;
            if (leave) leave(box->id);
            break;
        case BoxKind::Check:
            if (v.apply) format.SetValue(box->id, v.value.trimmed().isEmpty() ? QString() : QStringLiteral("1"));
            break;
        case BoxKind::Picture:
            if (v.apply) format.SetValue(box->id, v.value);
            break;
        default: break;
        }
    }
    return textBoxes;
}

} // namespace slip
