#pragma once
// Texts in the GBK code page, as every file of the instrument stores them.

#include <QByteArray>
#include <QString>

namespace GbkText {
// GBK bytes of a text (characters GBK cannot represent become '?').
QByteArray encode(const QString &text);
// Text of GBK bytes, up to the first zero byte if any.
QString decode(const QByteArray &bytes);
// True when every character of the text has a GBK form.
bool canEncode(const QString &text);
// Length of the longest prefix of GBK bytes, at most maxBytes long, that ends
// on a character boundary: a field never receives half of a two-byte
// character.
int boundaryPrefix(const QByteArray &gbk, int maxBytes);
// A fixed-size field: the text's GBK bytes cut at a character boundary to at
// most size bytes, then filled up with pad bytes.
QByteArray field(const QString &text, int size, char pad);
}
