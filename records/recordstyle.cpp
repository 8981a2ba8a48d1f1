#include "recordstyle.h"

#include <QDataStream>

namespace {
void prepare(QDataStream &s)
{
    s.setVersion(QDataStream::Qt_4_0);
    s.setByteOrder(QDataStream::BigEndian);
}
} // namespace

QColor toQColor(const StoredColor &color)
{
    QByteArray bytes;
    {
        QDataStream s(&bytes, QIODevice::WriteOnly);
        prepare(s);
        s << qint8(color.spec) << quint16(color.alpha) << quint16(color.red) << quint16(color.green)
          << quint16(color.blue) << quint16(color.pad);
    }
    QDataStream s(bytes);
    prepare(s);
    QColor c;
    s >> c;
    return c;
}

StoredColor toStoredColor(const QColor &color)
{
    QByteArray bytes;
    {
        QDataStream s(&bytes, QIODevice::WriteOnly);
        prepare(s);
        s << color;
    }
    QDataStream s(bytes);
    prepare(s);
    qint8 spec = 0;
    StoredColor c;
    s >> spec >> c.alpha >> c.red >> c.green >> c.blue >> c.pad;
    c.spec = spec;
    return c;
}

QFont toQFont(const QByteArray &bytes)
{
    QDataStream s(bytes);
    prepare(s);
    QFont f;
    s >> f;
    if (s.status() != QDataStream::Ok)
        return QFont();
    return f;
}

QByteArray toFontBytes(const QFont &font)
{
    QByteArray bytes;
    QDataStream s(&bytes, QIODevice::WriteOnly);
    prepare(s);
    s << font;
    return bytes;
}

QFont recordFont(const CtrlInfo &info, int index) { return toQFont(info.fonts.at(size_t(index))); }

QColor recordColor(const CtrlInfo &info, int index) { return toQColor(info.colors.at(size_t(index))); }
