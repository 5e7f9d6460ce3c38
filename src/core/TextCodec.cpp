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
    // GBK first: it keeps the one-byte euro sign (0x80) that GB18030 lacks;
    // GB18030 when GBK meets a four-byte code.
    for (const char* name : {"GBK", "GB18030"}) {
        QStringDecoder decoder(name, QStringDecoder::Flag::Stateless);
        if (!decoder.isValid()) continue;
        QString text = decoder.decode(body);
        if (!decoder.hasError()) return text;
    }
    return std::nullopt;
}

} // namespace slip
