#include "recordstyle.h"

#include <QDataStream>

namespace {
void prepare(QDataStream &s)
{
    s.setVersion(QDataStream::Qt_4_0);
    s.setByteOrder(QDataStream::BigEndian);
}

// What the stream writes for a value, and the value read back from bytes.
template <typename T>
QByteArray streamed(const T &value)
{
    QByteArray bytes;
    QDataStream s(&bytes, QIODevice::WriteOnly);
    prepare(s);
    s << value;
    return bytes;
}

template <typename T>
bool unstreamed(const QByteArray &bytes, T *value)
{
    QDataStream s(bytes);
    prepare(s);
    s >> *value;
    return s.status() == QDataStream::Ok;
}
} // namespace

QColor toQColor(const StoredColor &color)
{
    QColor c;
    unstreamed(streamed(color), &c);
    return c;
}

StoredColor toStoredColor(const QColor &color)
{
    const QByteArray bytes = streamed(color);
    QDataStream s(bytes);
    prepare(s);
    qint8 model = 0;
    StoredColor c;
    s >> model >> c.alpha >> c.red >> c.green >> c.blue >> c.pad;
    c.model = model;
    return c;
}

QFont toQFont(const QByteArray &bytes)
{
    QFont f;
    return unstreamed(bytes, &f) ? f : QFont();
}

QByteArray toFontBytes(const QFont &font) { return streamed(font); }

QFont recordFont(const CtrlInfo &info, int index) { return toQFont(info.fonts.at(size_t(index))); }

QColor recordColor(const CtrlInfo &info, int index) { return toQColor(info.colors.at(size_t(index))); }
