#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

// Windows-1252, the single-byte code page the program's character codes and its favourites
// file use.
namespace Cp1252 {

// The code of a character, 0 to 255; a character the code page lacks counts as 63 ("?").
int code(QChar c);

// The character for a code, 0 to 255 (unassigned codes map to the C1 control of that value).
QChar character(int code);

// True when every character of text has a code of its own.
bool canEncode(const QString& text);

QByteArray encode(const QString& text);
QString decode(const QByteArray& bytes);

// Text read from a file the user may have written either way: UTF-8 when the bytes are valid
// UTF-8 (a leading byte-order mark dropped), Windows-1252 otherwise.
QString decodeUtf8OrCp1252(const QByteArray& bytes);

} // namespace Cp1252
