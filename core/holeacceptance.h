#pragma once
// What a hole test is accepted against and what came of it: the basis (a
// row of the limits table or a design value), the limit in force, the
// automatic verdict, whether the operator overrode it, the measuring position
// and the test's place among the tests of its hole.
//
// The set-up fills the basis and the position; judging fills the limit, the
// verdict and the override; the hole file keeps all of it in its acceptance
// section. Only the GUI thread touches these fields.

#include <QString>
#include <cstdint>

// Where in the hole the probe went down (the location diagram's points).
namespace MeasuringPosition {
enum Code : int32_t { Unnamed = 0, Centre = 1, X = 2, XPrime = 3, Y = 4, YPrime = 5 };
constexpr int32_t Last = YPrime;
// Stable key used in files and CSV: "", "centre", "X", "X'", "Y", "Y'".
QString key(int32_t code);
// Code of a key; Unnamed for an empty or unknown key.
int32_t fromKey(const QString &key);
// Text shown to the operator (catalogue, context "MeasuringPosition"):
// "中心", "X", "X'", "Y", "Y'"; empty for Unnamed.
QString text(int32_t code);
}

// Why the operator overrode the verdict, chosen from a short list.
namespace OverrideReason {
enum Code : int32_t { None = 0, RetestPassed = 1, DesignChange = 2, SupervisorConfirmed = 3, Other = 4 };
constexpr int32_t Last = Other;
// Stable key used in CSV and JSON: "", "retest", "design-change",
// "supervisor", "other".
QString key(int32_t code);
int32_t fromKey(const QString &key);
// Text shown (catalogue, context "OverrideReason"): "复测合格后改判",
// "设计变更", "监理确认", "其他"; empty for None.
QString text(int32_t code);
}

namespace AcceptanceVerdict {
enum Code : int32_t { NotJudged = -1, Pass = 0, Fail = 1 };
}

struct HoleAcceptance {
    // Basis: a design value in millimetres wins over the table row; 0 = none.
    int32_t designLimitMm = 0;
    // Table row chosen in the set-up: the code's name ("JGJ 94-2008") and the
    // pile type ("端承桩"). Kept as texts so a file stays readable when the
    // table is edited later.
    QString code;
    QString pileType;
    // Limit in force when the test was judged, millimetres; -1 = none.
    int32_t limitMm = -1;
    // Automatic verdict of the judged thickness against limitMm.
    int32_t verdict = AcceptanceVerdict::NotJudged;
    // The operator chose the other hole quality than the verdict gave.
    bool overridden = false;
    // The operator's reason for the override (OverrideReason), None without.
    int32_t overrideReason = OverrideReason::None;
    int32_t position = MeasuringPosition::Unnamed;
    // 1 for the first test of a hole, 2 for its first repeat (NAME-2), ...
    int32_t sequence = 1;
    // A test started on this instrument and not judged yet: its thickness
    // and hole quality fields hold no judgement. False for every file written
    // before tests started unjudged, whose fields always counted.
    bool awaitingJudgement = false;
    // The test's name is not its hole's (Z3 while the hole is Z2) and the
    // operator kept the hole number: the file belongs to the recorded hole.
    bool holeNumberKept = false;

    bool hasBasis() const { return designLimitMm > 0 || !code.isEmpty(); }
    bool judged() const { return verdict != AcceptanceVerdict::NotJudged && !awaitingJudgement; }
    bool operator==(const HoleAcceptance &o) const
    {
        return designLimitMm == o.designLimitMm && code == o.code && pileType == o.pileType && limitMm == o.limitMm
            && verdict == o.verdict && overridden == o.overridden && overrideReason == o.overrideReason
            && position == o.position
            && sequence == o.sequence && awaitingJudgement == o.awaitingJudgement
            && holeNumberKept == o.holeNumberKept;
    }
    bool operator!=(const HoleAcceptance &o) const { return !(*this == o); }
};
