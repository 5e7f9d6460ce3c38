#include "core/TextCodec.h"

#include <QStringDecoder>

namespace slip {

std::optional<QString> DecodeGbkOrUtf8(const QByteArray& bytes)
{
    const bool bom = bytes.startsWith(Utf8ByteOrderMark());
    const QByteArray body = bom ? bytes.mid(Utf8ByteOrderMark().size()) : bytes;
    {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8.decode(body);
        if (!utf8.hasError()) return text;
    }
    // A file that says it is UTF-8 and isn't is not read as anything else.
    if (bom) return std::nullopt;
    // GB18030 reads a GBK file alike, and reads back the few two-byte codes
    // GBK leaves to private-use characters (A8 BF "ǹ", FE 52 "⺄") as the
    // characters a GB18030 writer meant. GBK after it for the one-byte euro
    // sign (0x80) that GB18030 lacks.
    for (const char* name : kGbkEncodings) {
        QStringDecoder decoder(name, QStringDecoder::Flag::Stateless);
        if (!decoder.isValid()) continue;
        QString text = decoder.decode(body);
        if (!decoder.hasError()) return text;
    }
    return std::nullopt;
}

} // namespace slip
