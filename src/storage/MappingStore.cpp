#include "storage/MappingStore.h"

#include "storage/Database.h"
#include "core/Registry.h"


namespace slip {

namespace {

const QString kSection = QStringLiteral("Corvanteel");

} // namespace

InputMapRows LoadInputMap(const QString& fmt)
{
    InputMapRows out;
    const Recordset rs = OpenRecordset(QStringLiteral("SELECT ID, Map FROM 映射 WHERE Fmt=? ORDER BY ID, rowid"), {fmt});
    if (!rs.ok) {
        out.error = rs.error;
        return out;
    }
    for (const QVector<QVariant>& row : rs.rows) {
        bool idOk = false;
        const qint32 id = row.value(0).toInt(&idOk);
        // A doubled row of one box: the first one counts, as the dialog shows it.
        if (idOk && !out.maps.contains(id)) out.maps.insert(id, row.value(1).toString());
    }
    out.ok = true;
    return out;
}

StoreResult SaveInputMap(const QString& fmt, const QMap<qint32, QString>& maps)
{
    DbConnection conn;
    // A connection that can't be used, or a change that did not reach the
    // file, says why; else the statement that failed, with its values.
    auto failed = [&](const QString& sql, const QVariantList& params) {
        conn.rollback();
        return StoreResult::Failed(conn.failureText().isEmpty() ? StatementFailed(sql, params) : conn.failureText());
    };
    const QString remove = QStringLiteral("DELETE FROM 映射 WHERE Fmt=?");
    const QString insert = QStringLiteral("INSERT INTO 映射(ID, Fmt, Map) VALUES(?, ?, ?)");
    if (!conn.begin()) return failed(remove, {fmt});
    if (!ExecuteSql(remove, {fmt}, &conn)) return failed(remove, {fmt});
    for (auto it = maps.constBegin(); it != maps.constEnd(); ++it) {
        if (it.value().trimmed().isEmpty()) continue;
        if (!ExecuteSql(insert, {it.key(), fmt, it.value()}, &conn)) return failed(insert, {it.key(), fmt, it.value()});
    }
    // A commit that fails is the save of the format's mapping failing, told
    // by the statement it starts with.
    if (!conn.commit()) return failed(remove, {fmt});
    return StoreResult::Ok();
}

ImportRowSettings LoadImportRowSettings()
{
    ImportRowSettings s;
    s.startRow = GetRegValue(RegRoot(), kSection, QStringLiteral("T(0)"), s.startRow);
    s.endRow = GetRegValue(RegRoot(), kSection, QStringLiteral("T(1)"), s.endRow);
    s.linesPerRecord = GetRegValue(RegRoot(), kSection, QStringLiteral("T(2)"), s.linesPerRecord);
    return s;
}

bool SaveImportRowSettings(const ImportRowSettings& settings)
{
    bool ok = SaveRegValue(RegRoot(), kSection, QStringLiteral("T(0)"), settings.startRow);
    ok = SaveRegValue(RegRoot(), kSection, QStringLiteral("T(1)"), settings.endRow) && ok;
    ok = SaveRegValue(RegRoot(), kSection, QStringLiteral("T(2)"), settings.linesPerRecord) && ok;
    return ok;
}

} // namespace slip
