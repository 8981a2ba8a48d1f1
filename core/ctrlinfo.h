#pragma once
// The control-information record: hole description, sampling set-up and
// display settings of a test. The test session keeps the record on show
// (the live test's, or the reviewed file's), the live test and the
// operator's set-up.

#include "holeacceptance.h"
#include "sharedvalue.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

struct LayerEntry {
    // 44-byte entry of the carried layer tables; only the text is modelled.
    int32_t words[2] = {0, 0};
    QString text;
};

// A display colour as Qt's data stream (version 7) holds it: the colour
// model, then alpha and three channels of 16 bits and a pad word. Plain
// words, so that the record needs no graphics library; records/recordstyle.h
// turns it into a QColor and back.
struct StoredColor {
    int8_t model = 1; // 0 invalid, 1 RGB, 2 HSV, 3 CMYK, 4 HSL, 5 extended RGB
    uint16_t alpha = 0xffff;
    uint16_t red = 0;
    uint16_t green = 0;
    uint16_t blue = 0;
    uint16_t pad = 0;

    // An RGB colour of 8-bit channels, as QColor(r, g, b, a) keeps it.
    static StoredColor rgb(int r, int g, int b, int a = 255);
    // 0xAARRGGBB of an RGB colour (the 16-bit channels' high bytes).
    uint32_t argb() const;
    bool operator==(const StoredColor &o) const;
    bool operator!=(const StoredColor &o) const { return !(*this == o); }
};

// Writes the colour's fields as QColor writes them in stream version 7.
class QDataStream;
QDataStream &operator<<(QDataStream &s, const StoredColor &c);

// The bytes Qt's data stream (version 7) writes for a font of this family and
// point size with normal weight, upright, and Qt's defaults otherwise: what
// QFont(family) with setPointSize(pointSize) writes.
QByteArray streamedFont(const QString &family, int pointSize);

struct TextPair {
    QString first;
    QString second;
};

class CtrlInfo {
public:
    CtrlInfo();
    CtrlInfo(const CtrlInfo &) = default;
    CtrlInfo &operator=(const CtrlInfo &) = default;

    // Defaults of the hole information, test parameters and display settings;
    // testDate takes today's date. Judgement results, depthFromTop, testTime
    // and the file-identity constants are left alone.
    void resetToDefaults();

    // Brightness and the screen-saver delay follow the basic configuration
    // (sysconfig.h): at start-up and whenever the parameter file is read.
    void followBasicConfig();

    bool slowPoll = false;
    uint8_t spareFlag = 1;
    SharedText paramVersion;
    SharedText paramDate;
    SharedValue<int32_t> largeScreen{1};
    SharedValue<uint8_t> deviceChannel{0};
    std::array<LayerEntry, 5> layerTableA{};
    std::array<LayerEntry, 5> layerTableB{};
    std::array<TextPair, 4> textPairs{};
    SharedText filePath;
    SharedText spareText1;
    SharedText spareText2;
    SharedText dataDir;
    int32_t savedFlag = 1;
    SharedText projectName;
    SharedText projectPath;
    SharedText testDate;
    SharedText testTime;
    SharedText testUnit;
    SharedText constructionUnit;
    SharedText tester;
    SharedText holeNo;
    SharedValue<int32_t> holeDepth{20000};
    SharedValue<int32_t> moveDistance{50};
    SharedValue<int32_t> maxDepth{20000};
    SharedValue<int32_t> elevation{20000};
    SharedValue<int32_t> holeDiameter{2000};
    SharedValue<int32_t> offsetAngle{0};
    SharedValue<int32_t> winchSpeed{4};
    // Code of SampleModes (-1: a mode text nobody knows, read from a file).
    // Kept as a code so that it means the same whatever language is on show;
    // the files hold the text (parameter file) or the code (hole file).
    SharedValue<int32_t> sampleMode{0};
    SharedValue<int32_t> depthFromTop{0};
    SharedValue<int32_t> wheelD{63};
    SharedValue<int32_t> lineD{7};
    SharedValue<float> spareValue1{0.0f};
    SharedValue<float> spareValue2{0.0f};
    std::array<StoredColor, 10> colors;
    int32_t displayFlag = 1;
    // Each font as the bytes Qt's data stream (version 7) writes for it.
    std::array<QByteArray, 8> fonts;
    SharedText curHoleName;
    SharedText lastHoleNo;
    SharedValue<int32_t> brightness{7};
    SharedValue<int32_t> screensaverSeconds{0};
    int32_t spareInt1 = 10;
    int32_t spareInt2 = 11;
    std::array<int32_t, 6> layoutSizes{{30, 50, 70, 30, 60, 70}};
    SharedText dataDirName;
    SharedValue<int32_t> curveRange{50};
    uint8_t fastPoll = 0;
    SharedValue<int32_t> curveMagnify{100};
    SharedValue<int32_t> holeQuality{0};
    SharedValue<int32_t> sedimentThickness{0};
    // Basis, verdict, position and sequence of the test (GUI thread only).
    HoleAcceptance acceptance;
    uint8_t winchStartReq = 0;
    uint8_t winchUpReq = 0;
    uint8_t winchStopReq = 0;
};

// Process-wide hole-file extension.
extern const QString fileExt;

// Sampling modes. The record holds the code; the texts are the catalogue
// sources (context "CtrlInfo") and what the parameter file stores.
namespace SampleModes {
enum Code : uint8_t { AutoRaise = 0, Manual = 1, Manual4 = 2, Manual6 = 3, Manual8 = 4, Wireless = 5 };
// Untranslated (Chinese) source text of a mode code, empty for unknown codes.
QString sourceText(int code);
// Translated text of a mode code (through the catalogue, context "CtrlInfo").
QString text(int code);
// Code of a mode text in either language, whichever is on show: the source
// text, the installed translation or the English catalogue's text (of the
// record's or the set-up's context); -1 when unknown.
int codeOf(const QString &modeText);
// True for a code of a mode (0 to 5).
bool isKnown(int code);
// True for the four modes in which the operator raises the probe by hand.
// Every other code, an unknown one too, takes heights from the winch: the
// screen and the acquisition both decide through this one test.
bool isManual(int code);
// True for the three paced manual modes (4, 6, 8 s/m).
bool isPaced(int code);
}

// Translated default texts (context "CtrlInfo").
QString defaultProjectName();
QString defaultOrganisationName();
QString defaultTesterName();
