#include "setuprules.h"

#include "ctrlinfo.h"
#include "projectfolder.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTextCodec>
#include <cmath>
#include <limits>

namespace SetupRules {

namespace {
QTextCodec *gbk()
{
    static QTextCodec *codec = QTextCodec::codecForName("GBK");
    return codec;
}

int32_t saturate(qint64 v)
{
    if (v > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

const char *const kCheckMessages[] = {
    QT_TRANSLATE_NOOP("CDlgSet", "请输入工程名称！"),
    QT_TRANSLATE_NOOP("CDlgSet", "请输入工程路径！"),
    QT_TRANSLATE_NOOP("CDlgSet", "请输入检测单位！"),
    QT_TRANSLATE_NOOP("CDlgSet", "请输入施工单位！"),
    QT_TRANSLATE_NOOP("CDlgSet", "请输入检测人员！"),
    QT_TRANSLATE_NOOP("CDlgSet", "请输入桩号！"),
    QT_TRANSLATE_NOOP("CDlgSet", "请输入桩长！"),
    QT_TRANSLATE_NOOP("CDlgSet", "桩长超出范围(0-200)，请重新输入！"),
    QT_TRANSLATE_NOOP("CDlgSet", "请输入标高！"),
    QT_TRANSLATE_NOOP("CDlgSet", "标高超出范围(0-200)，请重新输入！"),
    QT_TRANSLATE_NOOP("CDlgSet", "请输入桩径！"),
    QT_TRANSLATE_NOOP("CDlgSet", "桩径超出范围(1-9999)，请重新输入！"),
    QT_TRANSLATE_NOOP("CDlgSet", "请输入移距！"),
    QT_TRANSLATE_NOOP("CDlgSet", "输入的移距的值不正确！"),
    QT_TRANSLATE_NOOP("CDlgSet", "滑轮直径输入不正确！"),
    QT_TRANSLATE_NOOP("CDlgSet", "电缆直径输入不正确！"),
    QT_TRANSLATE_NOOP("CDlgSet", "请选择采集方式！"),
};
constexpr int kCheckCount = 17;

bool metresInRange(const QString &text)
{
    const double v = fieldValue(text);
    return v > 0.0 && v <= 200.0;
}
} // namespace

QString cutToGbkBytes(const QString &text, int maxBytes)
{
    QTextCodec *codec = gbk();
    if (!codec || codec->fromUnicode(text).size() <= maxBytes)
        return text;
    int bytes = 0;
    int end = 0;
    while (end < text.size()) {
        // A surrogate pair is one character.
        const int len = (text.at(end).isHighSurrogate() && end + 1 < text.size()) ? 2 : 1;
        const int charBytes = codec->fromUnicode(text.mid(end, len)).size();
        if (bytes + charBytes > maxBytes)
            break;
        bytes += charBytes;
        end += len;
    }
    return text.left(end);
}

double fieldValue(const QString &text)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    return ok ? v : 0.0;
}

int32_t fieldInt(const QString &text)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    return ok ? v : 0;
}

int32_t truncToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(std::trunc(value));
}

int32_t metresToMm(const QString &text)
{
    static const QRegularExpression plain(QStringLiteral("^\\s*([+-]?)(\\d*)(?:\\.(\\d*))?\\s*$"));
    const QRegularExpressionMatch m = plain.match(text);
    const QString whole = m.captured(2);
    const QString fraction = m.captured(3);
    if (!m.hasMatch() || (whole.isEmpty() && fraction.isEmpty()))
        return truncToInt(fieldValue(text) * 1000.0);
    qint64 mm = 0;
    for (const QChar c : whole) {
        mm = mm * 10 + c.digitValue();
        if (mm > std::numeric_limits<int32_t>::max())
            break; // saturates below
    }
    const QString thousandths = (fraction + QStringLiteral("000")).left(3);
    mm = mm * 1000 + thousandths.toInt();
    if (m.captured(1) == QLatin1String("-"))
        mm = -mm;
    return saturate(mm);
}

QString fixedText(double value, int decimals)
{
    QString text = QString::number(value, 'f', decimals);
    if (text.startsWith(QLatin1Char('-')) && text.toDouble() == 0.0)
        text.remove(0, 1);
    return text;
}

QString metresText(int32_t mm) { return fixedText(mm / 1000.0, 2); }

QString millimetresText(int32_t mm) { return fixedText(mm, 1); }

ElevationAction elevationAfterDepth(const QString &depthText, const QString &elevationText)
{
    const double depth = fieldValue(depthText);
    const double elevation = fieldValue(elevationText);
    if (depth > elevation)
        return ElevationAction::Ask;
    if (elevation > depth)
        return ElevationAction::Follow;
    return ElevationAction::None;
}

bool angleAccepted(double angle) { return angle >= -360.0 && angle <= 360.0; }

int firstFailingCheck(const SetupFields &f)
{
    const bool passes[kCheckCount] = {
        !f.projectName.isEmpty(),
        // A folder name that could lead outside the data folder is no project folder.
        !f.projectPath.isEmpty() && isSafeProjectFolder(f.projectPath),
        !f.testUnit.isEmpty(),
        !f.constructionUnit.isEmpty(),
        !f.tester.isEmpty(),
        !f.holeNo.isEmpty(),
        !f.holeDepth.isEmpty(),
        metresInRange(f.holeDepth),
        !f.elevation.isEmpty(),
        metresInRange(f.elevation),
        !f.holeDiameter.isEmpty(),
        fieldInt(f.holeDiameter) >= 1 && fieldInt(f.holeDiameter) <= 9999,
        !f.move.isEmpty(),
        fieldInt(f.move) >= 1,
        fieldValue(f.pulleyD) >= 0.0,
        fieldValue(f.lineD) >= 0.0,
        SampleModes::isKnown(f.sampleMode),
    };
    for (int i = 0; i < kCheckCount; ++i) {
        if (!passes[i])
            return i + 1;
    }
    return 0;
}

QString checkMessage(int check)
{
    if (check < 1 || check > kCheckCount)
        return QString();
    return QCoreApplication::translate("CDlgSet", kCheckMessages[check - 1]);
}

void storeFields(const SetupFields &f, CtrlInfo &info)
{
    info.projectName = f.projectName;
    info.projectPath = f.projectPath;
    info.testUnit = f.testUnit;
    info.constructionUnit = f.constructionUnit;
    info.tester = f.tester;
    info.holeNo = f.holeNo;
    const int32_t depth = metresToMm(f.holeDepth);
    info.maxDepth = depth;
    info.holeDepth = depth;
    info.elevation = metresToMm(f.elevation);
    info.holeDiameter = fieldInt(f.holeDiameter);
    info.offsetAngle = fieldInt(f.angle);
    info.moveDistance = fieldInt(f.move);
    info.wheelD = truncToInt(fieldValue(f.pulleyD));
    info.lineD = truncToInt(fieldValue(f.lineD));
    info.sampleMode = f.sampleMode;
}

} // namespace SetupRules
