#pragma once
// Damages one table (or index) of the test's database on disk, as a failing
// disk or a stray write would: its first page is overwritten, the rest of the
// file (the schema included) stays sound.
#include "core/DataFolder.h"
#include "storage/Database.h"

#include <QFile>
#include <gtest/gtest.h>

namespace slip::test {

// A page as it was before the damage, for RestorePage: a table that failed once and works again.
struct TablePage {
    qint64 offset = 0;
    QByteArray bytes;
};

inline void DamageTable(const QString& table, TablePage* was = nullptr)
{
    const Recordset root = OpenRecordset("SELECT rootpage FROM sqlite_master WHERE name=?", {table});
    const Recordset size = OpenRecordset("PRAGMA page_size");
    ASSERT_TRUE(root.ok && !root.isEmpty() && size.ok && !size.isEmpty());
    const qint64 page = root.rows[0][0].toLongLong(), pageSize = size.rows[0][0].toLongLong();
    QFile db(DatabasePath());
    ASSERT_TRUE(db.open(QIODevice::ReadWrite));
    ASSERT_TRUE(db.seek((page - 1) * pageSize));
    if (was) {
        *was = {(page - 1) * pageSize, db.read(pageSize)};
        ASSERT_TRUE(db.seek(was->offset));
    }
    ASSERT_EQ(db.write(QByteArray(int(pageSize), '\xFF')), pageSize);
}

inline void RestorePage(const TablePage& page)
{
    QFile db(DatabasePath());
    ASSERT_TRUE(db.open(QIODevice::ReadWrite));
    ASSERT_TRUE(db.seek(page.offset));
    ASSERT_EQ(db.write(page.bytes), page.bytes.size());
}

} // namespace slip::test
