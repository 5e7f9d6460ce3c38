#pragma once
#include "FileBytes.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVector>

namespace slip::test {

inline QString Utf(const char* s) { return QString::fromUtf8(s); }

} // namespace slip::test

#include <xlsxwriter.h>
#include <zip.h>

namespace slip::test {

// Replaces (or adds) one part of a zip package, as a damaged or hand-edited
// workbook would have it.
inline bool ReplaceZipPart(const QString& path, const char* part, const QByteArray& bytes)
{
    int err = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), 0, &err);
    if (!z) return false;
    // libzip reads the buffer when the archive is closed; keep a copy alive until then.
    QByteArray* keep = new QByteArray(bytes);
    zip_source_t* src = zip_source_buffer(z, keep->constData(), zip_uint64_t(keep->size()), 0);
    const bool added = src && zip_file_add(z, part, src, ZIP_FL_OVERWRITE) >= 0;
    if (!added && src) zip_source_free(src);
    const bool closed = zip_close(z) == 0;
    if (!closed) zip_discard(z);
    delete keep;
    return added && closed;
}

inline QByteArray ReadZipPart(const QString& path, const char* part)
{
    int err = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &err);
    if (!z) return {};
    QByteArray out;
    zip_stat_t st;
    if (zip_stat(z, part, 0, &st) == 0) {
        zip_file_t* f = zip_fopen(z, part, 0);
        if (f) {
            out.resize(qsizetype(st.size));
            zip_fread(f, out.data(), st.size);
            zip_fclose(f);
        }
    }
    zip_discard(z);
    return out;
}

} // namespace slip::test
