#include "storage/MappingStore.h"

#include "storage/Database.h"
#include "core/Registry.h"

#include <QSqlQuery>

namespace slip {

namespace {

const QString kSection = QStringLiteral("Corvanteel");

} // namespace

InputMapRows LoadInputMap(const QString& fmt)
{
    InputMapRows out;
    DbConnection conn;
    if (!conn.isOpen()) return out;
    QSqlQuery q(conn.db());
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral("SELECT ID, Map FROM 映射 WHERE Fmt=? ORDER BY ID, rowid"))) return out;
    q.addBindValue(fmt);
    if (!q.exec()) return out;
    while (q.next()) {
        bool idOk = false;
        const qint32 id = q.value(0).toInt(&idOk);
        // A doubled row of one box: the first one counts, as the dialog shows it.
        if (idOk && !out.maps.contains(id)) out.maps.insert(id, q.value(1).toString());
    }
    out.ok = true;
    return out;
}

bool SaveInputMap(const QString& fmt, const QMap<qint32, QString>& maps)
{
    DbConnection conn;
    if (!conn.begin()) return false;
    if (!ExecuteSql(QStringLiteral("DELETE FROM 映射 WHERE Fmt=?"), {fmt}, &conn)) {
        conn.rollback();
        return false;
    }
    for (auto it = maps.constBegin(); it != maps.constEnd(); ++it) {
        if (it.value().trimmed().isEmpty()) continue;
        if (!ExecuteSql(QStringLiteral("INSERT INTO 映射(ID, Fmt, Map) VALUES(?, ?, ?)"),
                        {it.key(), fmt, it.value()}, &conn)) {
            conn.rollback();
            return false;
        }
    }
    return conn.commit();
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
