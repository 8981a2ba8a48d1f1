#include "ctrlinfo.h"

#include "sysconfig.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDate>
#include <QTime>
#include <QTranslator>


const QString fileExt = QStringLiteral("CZO");

namespace {
const char *const kModeSources[] = {
    QT_TRANSLATE_NOOP("CtrlInfo", "自动提升"),   QT_TRANSLATE_NOOP("CtrlInfo", "手动提升"),
    QT_TRANSLATE_NOOP("CtrlInfo", "手动(4s/m)"), QT_TRANSLATE_NOOP("CtrlInfo", "手动(6s/m)"),
    QT_TRANSLATE_NOOP("CtrlInfo", "手动(8s/m)"), QT_TRANSLATE_NOOP("CtrlInfo", "无线自动提升"),
};
constexpr int kModeCount = 6;

QString tr(const char *s) { return QCoreApplication::translate("CtrlInfo", s); }
} // namespace

QString SampleModes::sourceText(int code)
{
    if (code < 0 || code >= kModeCount)
        return QString();
    return QString::fromUtf8(kModeSources[code]);
}

QString SampleModes::text(int code)
{
    if (code < 0 || code >= kModeCount)
        return QString();
    return tr(kModeSources[code]);
}

namespace {
// The English catalogue, read on its own: a text stored while English was on
// show is recognised while Chinese is, and the other way round.
const QTranslator *englishCatalogue()
{
    static const QTranslator *const catalogue = [] {
        auto *t = new QTranslator;
        if (!t->load(QStringLiteral(":/Language/English.qm"))) {
            delete t;
            return static_cast<QTranslator *>(nullptr);
        }
        return t;
    }();
    return catalogue;
}
} // namespace

int SampleModes::codeOf(const QString &modeText)
{
    if (modeText.isEmpty())
        return -1;
    // The English catalogue's earlier spelling of the manual mode, still in
    // parameter files written with it.
    if (modeText == QLatin1String("Manaul"))
        return Manual;
    const QTranslator *english = englishCatalogue();
    for (int i = 0; i < kModeCount; ++i) {
        if (modeText == text(i) || modeText == sourceText(i))
            return i;
        if (english
            && (modeText == english->translate("CtrlInfo", kModeSources[i])
                || modeText == english->translate("CDlgSet", kModeSources[i])))
            return i;
    }
    return -1;
}

bool SampleModes::isKnown(int code) { return code >= 0 && code < kModeCount; }

bool SampleModes::isManual(int code) { return code >= Manual && code <= Manual8; }

bool SampleModes::isPaced(int code) { return code >= Manual4 && code <= Manual8; }

StoredColor StoredColor::rgb(int r, int g, int b, int a)
{
    // QColor widens an 8-bit channel c to c * 0x101.
    StoredColor c;
    c.alpha = uint16_t(a * 0x101);
    c.red = uint16_t(r * 0x101);
    c.green = uint16_t(g * 0x101);
    c.blue = uint16_t(b * 0x101);
    return c;
}

uint32_t StoredColor::argb() const
{
    return (uint32_t(alpha >> 8) << 24) | (uint32_t(red >> 8) << 16) | (uint32_t(green >> 8) << 8) | uint32_t(blue >> 8);
}

bool StoredColor::operator==(const StoredColor &o) const
{
    return model == o.model && alpha == o.alpha && red == o.red && green == o.green && blue == o.blue && pad == o.pad;
}

QDataStream &operator<<(QDataStream &s, const StoredColor &c)
{
    return s << qint8(c.model) << quint16(c.alpha) << quint16(c.red) << quint16(c.green) << quint16(c.blue)
             << quint16(c.pad);
}

QByteArray streamedFont(const QString &family, int pointSize)
{
    // Qt 4.0's font layout: family, point size as a 64-bit real, pixel size
    // (-1: none), style hint (AnyStyle), style strategy (PreferDefault), a
    // zero byte, weight (Normal) and the flag bits (kerning on).
    QByteArray bytes;
    QDataStream s(&bytes, QIODevice::WriteOnly);
    s.setVersion(QDataStream::Qt_4_0);
    s.setByteOrder(QDataStream::BigEndian);
    s << family << double(pointSize) << qint32(-1) << quint8(5) << quint8(1) << quint8(0) << quint8(50)
      << quint8(0x10);
    return bytes;
}

QString defaultProjectName() { return tr(QT_TRANSLATE_NOOP("CtrlInfo", "Talvenor")); }
QString defaultOrganisationName() { return tr(QT_TRANSLATE_NOOP("CtrlInfo", "泰文诺检测")); }
QString defaultTesterName() { return QStringLiteral("Talvenor"); }

CtrlInfo::CtrlInfo()
    : paramVersion(QStringLiteral("1.0.020151030")), paramDate(QStringLiteral("20151030")),
      dataDirName(QStringLiteral("ZPV_CZL-FILE"))
{
    resetToDefaults();
    holeQuality = 0;
    sedimentThickness = 0;
    depthFromTop = 0;
    testTime = QTime::currentTime().toString(QStringLiteral("hh:mm:ss"));
}

void CtrlInfo::resetToDefaults()
{
    projectName = defaultProjectName();
    projectPath = QStringLiteral("Talvenor");
    testUnit = defaultOrganisationName();
    constructionUnit = defaultOrganisationName();
    tester = defaultTesterName();
    holeNo = QStringLiteral("1#");
    testDate = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    holeDepth = 20000;
    moveDistance = 50;
    maxDepth = 20000;
    elevation = 20000;
    holeDiameter = 2000;
    offsetAngle = 0;
    winchSpeed = 4;
    sampleMode = SampleModes::AutoRaise;
    wheelD = 63;
    lineD = 7;
    spareValue1 = 0.0f;
    spareValue2 = 0.0f;
    curHoleName = QString();
    lastHoleNo = QString();
    acceptance = HoleAcceptance();

    const StoredColor white = StoredColor::rgb(255, 255, 255);
    const StoredColor black = StoredColor::rgb(0, 0, 0);
    colors = {white, white, black, black, black, black, StoredColor::rgb(210, 215, 253), StoredColor::rgb(0, 118, 245),
              StoredColor::rgb(255, 0, 0), white};
    const int sizes[8] = {17, 28, 26, 16, 15, 16, 13, 11};
    for (size_t i = 0; i < fonts.size(); ++i)
        fonts[i] = streamedFont(QStringLiteral("yaheikr"), sizes[i]);
    displayFlag = 1;
    curveRange = 50;
    curveMagnify = 100;
    spareInt1 = 10;
    spareInt2 = 11;
    fastPoll = 0;
}

void CtrlInfo::followBasicConfig()
{
    brightness = light;
    screensaverSeconds = screensaverSecondsForLevel(screensaverLevel);
}
