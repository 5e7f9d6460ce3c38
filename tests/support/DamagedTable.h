#pragma once
// Damages pages of the test's database on disk, as a failing disk or a stray
// write would: a table's (or index's) first page, or one page that holds some
// of a table's rows; the rest of the file (the schema included) stays sound.
#include "core/DataFolder.h"
#include "storage/Database.h"

#include <QFile>
#include <functional>
#include <gtest/gtest.h>

namespace slip::test {

// A page as it was before the damage, for RestorePage: a table that failed once and works again.
struct TablePage {
    qint64 offset = 0;
    QByteArray bytes;
};

inline qint64 PageSize() { return OpenRecordset("PRAGMA page_size").value(0, "page_size").toLongLong(); }

// Overwrites page number `page` (from 1); `was` keeps what it held.
inline void DamagePage(qint64 page, TablePage* was = nullptr)
{
    const qint64 pageSize = PageSize();
    QFile db(DatabasePath());
    ASSERT_TRUE(pageSize > 0 && db.open(QIODevice::ReadWrite) && db.seek((page - 1) * pageSize));
    if (was) {
        *was = {(page - 1) * pageSize, db.read(pageSize)};
        ASSERT_TRUE(db.seek(was->offset));
    }
    ASSERT_EQ(db.write(QByteArray(int(pageSize), '\xFF')), pageSize);
}

inline void DamageTable(const QString& table, TablePage* was = nullptr)
{
    const Recordset root = OpenRecordset("SELECT rootpage FROM sqlite_master WHERE name=?", {table});
    ASSERT_TRUE(root.ok && !root.isEmpty());
    DamagePage(root.rows[0][0].toLongLong(), was);
}

inline void RestorePage(const TablePage& page)
{
    QFile db(DatabasePath());
    ASSERT_TRUE(db.open(QIODevice::ReadWrite));
    ASSERT_TRUE(db.seek(page.offset));
    ASSERT_EQ(db.write(page.bytes), page.bytes.size());
}

// Damages the first page (after the file's first) whose damage `wanted`
// answers true for, such as one that only some rows of a long table need;
// the pages tried before it are put back.
inline void DamagePageWhere(const std::function<bool()>& wanted)
{
    for (qint64 page = 2, pages = QFile(DatabasePath()).size() / PageSize(); page <= pages; ++page) {
        TablePage was;
        DamagePage(page, &was);
        if (wanted()) return;
        RestorePage(was);
    }
    FAIL() << "no page of the database is damaged as wanted";
}

} // namespace slip::test
