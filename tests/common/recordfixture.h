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
#include <cmath>
#include <cstdint>

namespace RecordFixture {

// Every text and number of a test's description set to something of its own.
inline CtrlInfo filledRecord(const QString &holeNo = QStringLiteral("A12"))
{
    CtrlInfo info;
    info.projectName = QStringLiteral("桥梁一标");
    info.projectPath = QStringLiteral("QL1");
    info.holeNo = holeNo;
    info.testUnit = QStringLiteral("检测公司");
    info.constructionUnit = QStringLiteral("施工单位");
    info.tester = QStringLiteral("张三");
    info.testDate = QStringLiteral("2026-12-10");
    info.testTime = QStringLiteral("09:30:00");
    info.maxDepth = 20000;
    info.holeDepth = 20000;
    info.moveDistance = 50;
    info.holeDiameter = 1500;
    info.elevation = 20000;
    info.offsetAngle = 30;
    info.sampleMode = SampleModes::AutoRaise;
    info.wheelD = 63;
    info.lineD = 7;
    info.curveRange = 50;
    info.holeQuality = 0;
    info.sedimentThickness = 0;
    return info;
}

// n samples from the bottom upwards, one move distance apart, with a mud
// level of 12 ohm-metres and a little ripple.
inline QVector<Sample> sampleRun(int n, int32_t bottomDepth = 20000, int32_t step = 50)
{
    QVector<Sample> list;
    list.reserve(n);
    for (int i = 0; i < n; ++i) {
        const float value = 12.0f + float(std::sin(i * 0.7));
        list.append({bottomDepth - step * i, value, value});
    }
    return list;
}

// Writes the hole file of a record and its samples; returns the path.
inline QString writeHole(const QString &path, const CtrlInfo &info, const QVector<Sample> &list)
{
    writeFileBytes(path, encodeHoleFile(info, list));
    return path;
}

} // namespace RecordFixture
