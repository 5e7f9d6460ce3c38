#pragma once
#include <QByteArray>
#include <QString>
#include <optional>

namespace slip {

// How the program reads the text files it meets (exchange files, CSV files
// from old and new systems): a file with a UTF-8 byte-order mark is UTF-8;
// otherwise UTF-8 when the bytes are valid UTF-8, else GB18030 (which reads
// GBK's texts the same, bar the few codes GBK leaves to private-use
// characters), else GBK (its one-byte euro sign). nullopt when none of them
// reads the bytes.
std::optional<QString> DecodeGbkOrUtf8(const QByteArray& bytes);
// The encodings tried, in turn, for a text that is not UTF-8.
inline constexpr const char* kGbkEncodings[] = {"GB18030", "GBK"};

inline const QByteArray& Utf8ByteOrderMark()
{
    static const QByteArray bom("\xEF\xBB\xBF");
    return bom;
}

} // namespace slip
