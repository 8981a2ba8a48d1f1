#pragma once
// Decisions of the set-up dialog, kept apart from its widgets: how field
// texts read as numbers, the text length limit, the elevation rule, the
// checks before storing and the storing itself.

#include <QString>
#include <cstdint>

class CtrlInfo;

// The set-up dialog's fields as the operator sees them (texts of the edits,
// current texts of the combos).
struct SetupFields {
    QString projectName;
    QString projectPath;
    QString testUnit;
    QString constructionUnit;
    QString tester;
    QString holeNo;
    QString holeDepth;    // metres
    QString elevation;    // metres
    QString holeDiameter; // millimetres
    QString angle;        // degrees
    QString move;         // millimetres
    QString pulleyD;      // millimetres
    QString lineD;        // millimetres
    int sampleMode = -1; // code of the current mode item, -1 when none
};

namespace SetupRules {

// Hole-file text fields hold 80 bytes of GBK with the terminator.
constexpr int kTextBytes = 79;

// The text cut so that its GBK form has at most maxBytes bytes. The cut falls
// between characters: a character that would be split is dropped whole.
QString cutToGbkBytes(const QString &text, int maxBytes = kTextBytes);

// Decimal value of a field text; a text that is not a number reads as 0.
double fieldValue(const QString &text);
// Integer value of a field text; a text that is not an integer reads as 0.
int32_t fieldInt(const QString &text);
// A real cut toward zero, held within the 32-bit range (NaN reads as 0).
int32_t truncToInt(double value);
// Metres as typed, in whole millimetres cut toward zero. A plain decimal text
// is converted digit by digit, so 12.35 gives exactly 12350 (a binary product
// would give 12349.999...); other number forms go through a double.
int32_t metresToMm(const QString &text);

// Texts shown in the fields.
QString fixedText(double value, int decimals); // never "-0.00"
QString metresText(int32_t mm);      // 2 decimals
QString millimetresText(int32_t mm); // 1 decimal

// What happens to the elevation after a hole depth has been entered.
enum class ElevationAction {
    None,   // equal: nothing
    Ask,    // depth above elevation: ask whether the elevation follows
    Follow, // elevation above depth: it takes the depth without asking
};
ElevationAction elevationAfterDepth(const QString &depthText, const QString &elevationText);

// Offset angles from -360 to 360 are accepted.
bool angleAccepted(double angle);

// The checks before storing, in order: 0 when all pass, else the number
// (1 to 17) of the first that fails. Check 17 refuses an empty or unknown
// sampling mode.
int firstFailingCheck(const SetupFields &fields);
// Message of a failing check through the catalogue (context CDlgSet); empty
// for 0 or an unknown number.
QString checkMessage(int check);

// Writes the fields into the record (hole depth into both holeDepth and
// maxDepth). Only for fields that passed the checks.
void storeFields(const SetupFields &fields, CtrlInfo &info);

} // namespace SetupRules
