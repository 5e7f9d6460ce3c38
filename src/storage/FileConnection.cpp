#include "storage/FileConnection.h"

#include "storage/Database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <atomic>

namespace slip {

namespace {
std::atomic<quint64> g_fileConnections{0};
} // namespace

FileConnection::FileConnection(const QString& file, int busyTimeoutMs)
    : name_(QStringLiteral("slip-file-%1").arg(++g_fileConnections))
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    db.setDatabaseName(file);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
    if (!db.open()) {
        failure_ = db.lastError();
        error_ = failure_.text();
    }
}

FileConnection::~FileConnection()
{
    {
        QSqlDatabase db = QSqlDatabase::database(name_, false);
        if (db.isValid()) db.close();
    }
    QSqlDatabase::removeDatabase(name_);
}

QSqlDatabase FileConnection::db() const { return QSqlDatabase::database(name_, false); }

bool FileConnection::Run(const QString& sql, const QVariantList& params, QStringList* rows)
{
    QSqlQuery q(db());
    bool done = q.prepare(sql);
    BindValues(q, params);
    done = done && q.exec();
    if (!done) {
        failure_ = q.lastError();
        error_ = failure_.text();
        return false;
    }
    if (rows && !ReadEveryRow(q, [rows](const QSqlQuery& row) { *rows << row.value(0).toString(); })) {
        failure_ = q.lastError();
        error_ = failure_.text();
        return false;
    }
    return true;
}

} // namespace slip
