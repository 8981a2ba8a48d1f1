#include "gbktext.h"

#include <QTextCodec>

namespace {
QTextCodec *codec()
{
    static QTextCodec *const c = QTextCodec::codecForName("GBK");
    return c;
}

// Bytes taken by the character whose first byte is at gbk[i]. Besides the
// one- and two-byte forms of GBK, the four-byte forms of its GB18030 superset
// (second byte a digit) are kept whole too.
int charLength(const QByteArray &gbk, int i)
{
    const auto lead = uchar(gbk.at(i));
    if (lead < 0x81 || lead == 0xFF || i + 1 >= gbk.size())
        return 1;
    const auto second = uchar(gbk.at(i + 1));
    if (second >= 0x30 && second <= 0x39)
        return 4;
    return 2;
}
} // namespace

QByteArray GbkText::encode(const QString &text)
{
    return codec()->fromUnicode(text);
}

QString GbkText::decode(const QByteArray &bytes)
{
    const int zero = bytes.indexOf('\0');
    return codec()->toUnicode(zero < 0 ? bytes : bytes.left(zero));
}

bool GbkText::canEncode(const QString &text)
{
    return codec()->canEncode(text);
}

int GbkText::boundaryPrefix(const QByteArray &gbk, int maxBytes)
{
    int i = 0;
    while (i < gbk.size()) {
        const int next = i + charLength(gbk, i);
        if (next > maxBytes)
            break;
        i = next;
    }
    return qMin(i, gbk.size());
}

QByteArray GbkText::field(const QString &text, int size, char pad)
{
    const QByteArray gbk = encode(text);
    QByteArray out(size, pad);
    const int n = boundaryPrefix(gbk, size);
    memcpy(out.data(), gbk.constData(), size_t(n));
    return out;
}
