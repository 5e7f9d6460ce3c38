#include "FileBytes.h"
#include "FileSizeLimit.h"
#include "TestHome.h"

#include "storage/SavedFile.h"

#include <QDir>

using namespace slip;

// A disk that fills midway (the file size limit stands in for it): the save
// is told with the system's reason, the old file stays byte for byte and no
// new file is left beside it. A tail small enough to wait in a buffer is
// written and checked like the rest.
TEST(SavedFile, ADiskThatFillsMidwayLeavesTheOldFileAndTellsWhy)
{
    test::TestHome home;
    QByteArray large(1024 * 1024 + 8 * 1024, '\0');
    for (qsizetype i = 0; i < large.size(); ++i) large[i] = char(i * 7919 % 251);
    const QString source = home.file("source.bin");
    ASSERT_TRUE(test::WriteBytes(source, large));
    const struct {
        const char* name;
        QByteArray old;  // none when empty
        bool copy;       // SaveCopy of `large`, else SaveBytes of a short text
        rlim_t limit;
    } cases[] = {
        {"small", {}, false, 100},
        {"small-over-old", "old contents", false, 100},
        {"copy-tail", {}, true, 1024 * 1024 + 4 * 1024},
        {"copy-tail-over-old", "old contents", true, 1024 * 1024 + 4 * 1024},
    };
    for (const auto& c : cases) {
        const QString folder = home.file(c.name);
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString path = folder + "/out.bin";
        if (!c.old.isEmpty()) ASSERT_TRUE(test::WriteBytes(path, c.old));
        SavedFileResult r;
        {
            test::FileSizeLimit fullDisk(c.limit);
            r = c.copy ? SaveCopy(source, path) : SaveBytes(path, QByteArray(300, 'x'));
        }
        EXPECT_FALSE(r.ok) << c.name;
        EXPECT_FALSE(r.notReplaced) << c.name;
        EXPECT_EQ(r.error, "文件：“" + path + "”无法写入！（File too large）") << c.name;
        EXPECT_EQ(test::FileBytes(path), c.old) << c.name;
        EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                  c.old.isEmpty() ? QStringList() : QStringList{"out.bin"})
            << c.name;
    }
}
