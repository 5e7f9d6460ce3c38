#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace slip {

// A connection of its own to one database file, closed and removed when it
// goes: for the work beside the program's own connection (checks, copies,
// the compaction's lock).
class FileConnection {
public:
    explicit FileConnection(const QString& file, int busyTimeoutMs = 5000);
    ~FileConnection();
    FileConnection(const FileConnection&) = delete;
    FileConnection& operator=(const FileConnection&) = delete;

    QSqlDatabase db() const;
    const QString& Name() const { return name_; }
    bool ok() const { return error_.isEmpty(); }
    QString error() const { return error_; }
    // SQLite's own answer to what failed last: its code and text.
    const QSqlError& failure() const { return failure_; }

    // Runs one statement; the first column of its rows goes to `rows`. False
    // with error() set when it failed.
    bool Run(const QString& sql, const QVariantList& params = {}, QStringList* rows = nullptr);

private:
    QString name_;
    QString error_;
    QSqlError failure_;
};

} // namespace slip
