#pragma once
// A hole record as one JSON object, and back.
//
// Texts: projectName, holeNo, testUnit, constructionUnit, tester, testDate,
// testTime, sampleMode (the Chinese mode text). Numbers: maxDepth,
// holeDiameter, holeDepth, elevation, moveDistance, offsetAngle, modeCode,
// wheelD, lineD, winchSpeed, spareValue1, spareValue2, holeQuality,
// sedimentThickness. samples: [[depth, resistivity, rawResistivity], ...].
// acceptance (only when the file has an acceptance section): {designLimitMm,
// code, pileType, limitMm, verdict (-1, 0 pass, 1 fail), overridden,
// overrideReason ("", "retest", "design-change", "supervisor", "other"),
// position ("", "centre", "X", "X'", "Y", "Y'"), sequence, awaitingJudgement
// (a test not judged yet), holeNumberKept (named after another hole, the hole
// number kept)}.
//
// Reals print with the fewest digits that read back to the same 32-bit
// value; the values JSON numbers cannot hold travel as the strings "NaN",
// "Infinity", "-Infinity" and "-0" (a JSON -0 number reads back as +0).

#include "ctrlinfo.h"
#include "testrecord.h"

#include <QJsonObject>
#include <QString>
#include <QVector>

namespace HoleJson {
// Fewest-digit decimal text of a real that reads back to the same bits.
QString realText(float f);
QJsonObject toJson(const CtrlInfo &info, const QVector<Sample> &samples);
// Fills the record and the samples from an object; keys left out keep the
// record's values. False with a reason for unknown keys, wrong types, values
// out of range and texts that the file cannot hold unchanged.
bool fromJson(const QJsonObject &o, CtrlInfo &info, QVector<Sample> &samples, QString *error);
// "depth_m,resistivity,raw_resistivity" and one line per sample.
QByteArray toCsv(const QVector<Sample> &samples);
}
