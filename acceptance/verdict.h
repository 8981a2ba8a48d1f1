#pragma once
// The automatic verdict of a judged sediment thickness against the limit in
// force, and the one line that states it.

#include "ctrlinfo.h"
#include "pilelimits.h"

#include <QString>
#include <cstdint>

// Pass when thicknessMm <= limitMm, fail above it; not judged without a limit
// (limitMm < 0).
int32_t verdictFor(int32_t thicknessMm, int32_t limitMm);

// "沉渣 30 mm ≤ 50 mm（JGJ 94 端承桩）合格" (catalogue context "Acceptance";
// English "Sediment 30 mm ≤ 50 mm (JGJ 94 end-bearing): qualified"). Without
// a limit: "沉渣 30 mm（未设验收依据）".
QString comparisonLine(int32_t thicknessMm, int32_t limitMm, const QString &basisLabel);

// The comparison line of a record (its thickness in centimetres, its stored
// limit and basis).
QString comparisonLine(const CtrlInfo &info);

// Judging a thickness: picks the limit for the record's basis, hole diameter
// and hole depth, stores limit and verdict, presets holeQuality from the
// verdict (when there is one) and clears the override.
void applyVerdict(CtrlInfo &info, const CPileLimits &table);
// The same against a limit already chosen (-1: none): the office judges a
// test again against the limit its file kept.
void applyLimit(CtrlInfo &info, int32_t limitMm);

// The operator chose a hole quality (0 qualified, 1 unqualified): stored,
// and recorded as an override, with its reason (OverrideReason), when it
// differs from the verdict. The reason is dropped when nothing is overridden.
void chooseHoleQuality(CtrlInfo &info, int32_t quality, int32_t reason = 0);
// Choosing that hole quality would go against the record's verdict (and
// so needs the operator's confirmation and reason).
bool wouldOverride(const CtrlInfo &info, int32_t quality);

// The line that states a judged record: its comparison line, or after an
// override the final result first and then the override:
// "合格（改判，原判 不合格：沉渣 300 mm > 50 mm；理由：监理确认）".
// Empty while nothing is judged.
QString verdictLine(const CtrlInfo &info);
// The override with its reason for tables: "监理确认", "是" (an override
// stored without a reason), empty without an override.
QString overrideText(const HoleAcceptance &a);

// A test starts with nothing judged: no thickness, no hole quality, no
// limit or verdict, no override. Basis, position and sequence stay.
void clearJudgement(CtrlInfo &info);
// The record's thickness and hole quality are a judgement (not a test that
// waits for one).
inline bool hasJudgement(const CtrlInfo &info) { return !info.acceptance.awaitingJudgement; }

// Verdict in force for a record: the hole quality once a verdict exists
// (the operator's choice stands), NotJudged before.
int32_t finalVerdict(const CtrlInfo &info);

// "合格", "不合格", "未判定" through the catalogue (context "Acceptance").
QString verdictText(int32_t verdict);
// "pass", "fail", "not judged": the words of the CSV.
QString verdictKey(int32_t verdict);
