#include "base/cp1252.h"

#include <QStringDecoder>

namespace Cp1252 {
namespace {

// 0x80 to 0x9F; 0 marks the five codes the code page leaves unassigned.
constexpr char16_t High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                               0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                               0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                               0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

int lookup(char16_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    for (int i = 0; i < 32; ++i)
        if (High[i] == u && u != 0)
            return 0x80 + i;
    // The unassigned codes round-trip as the C1 controls of the same value.
    if (u >= 0x80 && u <= 0x9F && High[u - 0x80] == 0)
        return u;
    return -1;
}

} // namespace

int code(QChar c) {
    const int v = lookup(c.unicode());
    return v < 0 ? 63 : v;
}

QChar character(int code) {
    if (code >= 0x80 && code <= 0x9F && High[code - 0x80] != 0)
        return QChar(High[code - 0x80]);
    return QChar(char16_t(code & 0xFF));
}

bool canEncode(const QString& text) {
    for (QChar c : text)
        if (lookup(c.unicode()) < 0)
            return false;
    return true;
}

QByteArray encode(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text)
        out.append(char(code(c)));
    return out;
}

QString decode(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    for (char b : bytes)
        out.append(character(static_cast<unsigned char>(b)));
    return out;
}

// A file written in Windows-1252 is rarely valid UTF-8 unless it is plain ASCII, where both
// readings agree; one saved as UTF-8 (or edited elsewhere) reads as such.
QString decodeUtf8OrCp1252(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return decode(bytes);
}

} // namespace Cp1252
