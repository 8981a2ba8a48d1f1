#pragma once
// Hole-file bytes assembled by hand, field by field, without the writer:
// what the tests compare the writer's output with.

#include <QByteArray>
#include <QString>
#include <QTextCodec>
#include <QVector>
#include <cstdint>
#include <cstring>
#include <optional>

namespace Fixture {
inline QByteArray le32(int32_t v)
{
    const uint32_t u = uint32_t(v);
    const char b[4] = {char(u & 0xFF), char((u >> 8) & 0xFF), char((u >> 16) & 0xFF), char((u >> 24) & 0xFF)};
    return QByteArray(b, 4);
}

inline QByteArray leReal(float f)
{
    int32_t v;
    std::memcpy(&v, &f, 4);
    return le32(v);
}

inline QByteArray gbk(const QString &s) { return QTextCodec::codecForName("GBK")->fromUnicode(s); }

inline QByteArray padded(const QByteArray &b, int size, char pad)
{
    QByteArray out = b.left(size);
    out.append(QByteArray(size - out.size(), pad));
    return out;
}

struct Row {
    int32_t depth;
    float resistivity;
    float raw;
};

// Everything of a hole file that the tests vary.
struct Hole {
    QByteArray magic = "KRV";
    QByteArray typeCode = "CZ";
    QString projectName, holeNo, testUnit, constructionUnit, tester, testDate, testTime;
    int32_t maxDepth = 0, holeDiameter = 0, holeDepth = 0, elevation = 0, moveDistance = 0, offsetAngle = 0;
    uint8_t mode = 0;
    int32_t wheelD = 0, lineD = 0;
    uint8_t winchSpeed = 0;
    float spare1 = 0, spare2 = 0;
    int32_t holeQuality = 0, sedimentThickness = 0;
    std::optional<int32_t> count; // default: the number of rows
    int32_t recordSize = 12;
    QVector<Row> rows;
};

inline QByteArray bytes(const Hole &h)
{
    QByteArray f = padded(h.magic + "-" + h.typeCode + "-2.0.0-20151030", 40, ' ');
    for (int32_t e : {76, 494, 0, 0, 0, 0, 0, 0, 552})
        f += le32(e);
    for (const QString &t : {h.projectName, h.holeNo, h.testUnit, h.constructionUnit, h.tester})
        f += padded(gbk(t), 80, ' ');
    f += padded(gbk(h.testDate), 10, '\0');
    f += padded(gbk(h.testTime), 8, '\0');
    f += le32(h.maxDepth) + le32(h.holeDiameter) + le32(h.holeDepth) + le32(h.elevation) + le32(h.moveDistance)
        + le32(h.offsetAngle);
    f += char(h.mode);
    f += le32(h.wheelD) + le32(h.lineD);
    f += char(h.winchSpeed);
    f += leReal(h.spare1) + leReal(h.spare2) + le32(h.holeQuality) + le32(h.sedimentThickness) + le32(h.mode)
        + le32(h.mode);
    f += le32(h.count ? *h.count : h.rows.size()) + le32(h.recordSize);
    for (const Row &r : h.rows)
        f += le32(r.depth) + leReal(r.resistivity) + leReal(r.raw);
    return f;
}
}
