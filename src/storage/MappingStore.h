#pragma once
#include "storage/StoreResult.h"
#include <QMap>
#include <QString>

namespace slip {

// The Map strings of one format's boxes, by box record ID (table 映射).
struct InputMapRows {
    bool ok = false;  // false when the database could not be read
    QString error;    // then "数据库打开错误(…)！"
    QMap<qint32, QString> maps;
};

// Every stored Map string of the format, as typed (not trimmed).
InputMapRows LoadInputMap(const QString& fmt);

// Replaces all Map strings of the format by `maps` in one transaction: a box
// whose Map string is blank gets no row. When the database can't be written
// the stored rows stay as they were and the error is "数据库打开错误(…)！"
// with the statement that failed.
StoreResult SaveInputMap(const QString& fmt, const QMap<qint32, QString>& maps);

// The import row numbers as the operator last entered them, shared by all
// formats: start row, end row, lines per record. A value never stored (or
// stored empty) gives the first use's "2", "100" and "1".
struct ImportRowSettings {
    QString startRow = QStringLiteral("2");
    QString endRow = QStringLiteral("100");
    QString linesPerRecord = QStringLiteral("1");
};
ImportRowSettings LoadImportRowSettings();
bool SaveImportRowSettings(const ImportRowSettings& settings);

} // namespace slip
