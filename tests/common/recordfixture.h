#pragma once
// One filled test record and a run of samples, and the hole file made of
// them: what tests of the screens, the files and the reports start from.
// Header only, for tests that link the records library.

#include "ctrlinfo.h"
#include "holefile.h"
#include "testrecord.h"
#include "testsupport.h"

#include <QString>
#include <QVector>
#include <cstdint>

namespace RecordFixture {

// A 20 m hole sampled every 50 mm from the bottom up, judged at 35 cm and
// qualified: every text of the description set to something of its own.
inline void fill(CtrlInfo &info, const QString &holeNo = QStringLiteral("A12"))
{
    info.projectName = QString::fromUtf8("跨江大桥桩基检测工程");
    info.holeNo = holeNo;
    info.testUnit = QString::fromUtf8("检测中心");
    info.constructionUnit = QString::fromUtf8("第三工程局");
    info.tester = QString::fromUtf8("王五");
    info.testDate = QStringLiteral("2024-05-06");
    info.testTime = QStringLiteral("10:11:12");
    info.maxDepth = 20000;
    info.holeDepth = 20000;
    info.elevation = 12500;
    info.holeDiameter = 1500;
    info.moveDistance = 50;
    info.sedimentThickness = 35;
    info.holeQuality = 0;
}

inline CtrlInfo filledRecord(const QString &holeNo = QStringLiteral("A12"))
{
    CtrlInfo info;
    fill(info, holeNo);
    return info;
}

// The first count samples of that hole, bottom first: 30 ohm-metres in the
// bottom sedimentMm, 12 (with a little ripple) above.
inline QVector<Sample> holeSamples(int count = 401, int sedimentMm = 350)
{
    QVector<Sample> v;
    for (int i = 0; i < count; ++i) {
        const int h = i * 50;
        const float value = h < sedimentMm ? 30.0f : 12.0f + 0.01f * float(i % 7);
        v.append(Sample{20000 - h, value, value});
    }
    return v;
}

// Writes the hole file of a record and its samples; returns the path.
inline QString writeHole(const QString &path, const CtrlInfo &info, const QVector<Sample> &list)
{
    writeFileBytes(path, encodeHoleFile(info, list));
    return path;
}

} // namespace RecordFixture
