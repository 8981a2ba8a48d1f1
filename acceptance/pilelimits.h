#pragma once
// The table of sediment limits by code and pile type, and the choice of the
// limit that applies to a hole.
//
// The table is one UTF-8 JSON file that a user may edit or extend for local
// codes: PileLimits.json in the application directory when present and
// readable, else the default compiled in (":/acceptance/PileLimits.json").
//
//   {"version": 1, "rows": [
//     {"code": "JGJ 94-2008", "pileType": "端承桩", "limitMm": 50},
//     {"code": "JTG/T 3650-2020", "pileType": "摩擦桩", "limitMm": 200,
//      "maxDiameterMm": 1500, "maxDepthMm": 40000},
//     {"code": "JTG/T 3650-2020", "pileType": "摩擦桩", "limitMm": 300}, ...]}
//
// Rows of one code and pile type are tried in file order; the first whose
// conditions hold gives the limit (a missing or 0 bound holds always). So a
// row with bounds followed by one without reads "up to 1.5 m diameter and
// 40 m depth ..., otherwise ...".

#include "holeacceptance.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <cstdint>

struct PileLimitRow {
    QString code;          // the code's name with its year, e.g. "JGJ 94-2008"
    QString pileType;      // e.g. "端承桩"
    int32_t limitMm = 0;
    int32_t maxDiameterMm = 0; // the row holds for hole diameters up to this; 0 = any
    int32_t maxDepthMm = 0;    // ... and hole depths up to this; 0 = any
};

struct PileBasisChoice {
    QString code;
    QString pileType;
};

class CPileLimits {
public:
    QVector<PileLimitRow> rows;

    // Parses the JSON form. False with a reason for malformed JSON, a missing
    // field, a limit that is not a positive number of millimetres, or no row.
    static bool parse(const QByteArray &json, CPileLimits *out, QString *error);
    // The compiled-in default.
    static CPileLimits builtIn();
    // The user's file in appDir when it parses, else the default; reason, when
    // given, says why a present file was not used (empty otherwise).
    static CPileLimits load(const QString &appDir, QString *reason = nullptr);
    static QString fileName() { return QStringLiteral("PileLimits.json"); }
    // The table of this program: load() from the application directory,
    // once per run (the table is edited between runs, not during one).
    static const CPileLimits &instrument();

    // Every (code, pile type) once, in file order: the set-up's choices.
    QVector<PileBasisChoice> choices() const;
};

struct LimitChoice {
    int32_t limitMm = -1;  // -1: no limit (no basis, or no row matched)
    bool fromDesign = false;
    int row = -1;          // index of the table row used
};

// The limit for a basis (design value or code and pile type) and a hole of
// the given diameter and depth (millimetres). A design value always wins.
LimitChoice pickLimit(const CPileLimits &table, const HoleAcceptance &basis, int32_t holeDiameterMm,
                      int32_t holeDepthMm);

// "JGJ 94-2008" -> "JGJ 94": the code without a trailing "-year".
QString shortCodeName(const QString &code);

// The basis as the comparison line names it: "JGJ 94 端承桩" (pile type
// through the catalogue, context "PileLimits"), "设计值" for a design value
// ("design value"), empty without a basis.
QString basisLabel(const HoleAcceptance &basis);

// A pile type through the catalogue (context "PileLimits"); types a user
// added to the table come back as they are.
QString pileTypeText(const QString &pileType);

// The basis in full for reports: "JGJ 94-2008 端承桩", "设计值 80 mm".
QString basisFullText(const HoleAcceptance &basis);

// The basis as data (CSV, LAS): "JGJ 94-2008 端承桩", "design 80 mm", or
// empty without a basis. Never translated.
QString basisDataText(const HoleAcceptance &basis);
