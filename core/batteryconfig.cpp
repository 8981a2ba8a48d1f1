#include "batteryconfig.h"

#include "appdir.h"

#include <QDebug>
#include <QDomDocument>
#include <QFile>
#include <QTextCodec>
#include <QTextStream>

int32_t batteryModel = 0;
QList<int32_t> batteryThresholds;

namespace {
QString batteryFilePath() { return QKRVCommomUtils::appPath() + QStringLiteral("/othersetinfo.xml"); }

QDomElement firstBelow(const QDomElement &parent, const QString &name)
{
    if (parent.isNull())
        return QDomElement();
    return parent.elementsByTagName(name).item(0).toElement();
}
}

bool writeDefaultBatteryConfig()
{
    QFile f(batteryFilePath());
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QTextStream out(&f);
    out.setCodec(QTextCodec::codecForName("GB2312"));
    out << "<?xml version=\"1.0\" encoding=\"GB2312\" ?>\n"
        << "<KRV_CONFIG>\n"
        << "   <BatteryConfigParam/>\n"
        << "   <SetConfig>\n"
        << "      <BatterySet>" << batteryModel << "</BatterySet>\n"
        << "   </SetConfig>\n"
        << "</KRV_CONFIG>\n";
    out.flush();
    f.close();
    return true;
}

bool loadBatteryConfig()
{
    const QString path = batteryFilePath();
    if (!QFile::exists(path))
        writeDefaultBatteryConfig();

    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    QDomDocument doc;
    if (!doc.setContent(&f)) {
        f.close();
        return false;
    }
    f.close();
    const QDomElement root = doc.documentElement();
    if (root.tagName() != QLatin1String("KRV_CONFIG"))
        return false;

    const QDomElement set = firstBelow(firstBelow(root, QStringLiteral("SetConfig")), QStringLiteral("BatterySet"));
    if (!set.isNull() && !set.text().isEmpty())
        batteryModel = set.text().toInt();

    const QDomElement param = firstBelow(root, QStringLiteral("BatteryConfigParam"));
    if (param.isNull())
        return true;

    batteryThresholds.clear();
    const QDomNodeList nodes = param.elementsByTagName(QStringLiteral("BatteryNode"));
    QDomElement chosen;
    for (int i = 0; i < nodes.count(); ++i) {
        const QDomElement node = nodes.item(i).toElement();
        if (node.attribute(QStringLiteral("id")).toInt() == batteryModel) {
            chosen = node;
            break;
        }
    }
    if (chosen.isNull())
        return true;

    const QStringList parts = chosen.text().split(QLatin1Char(','), Qt::KeepEmptyParts);
    for (int j = 0; j < parts.size(); ++j) {
        const int32_t value = parts.at(j).trimmed().toInt();
        batteryThresholds.append(value);
        qDebug() << "j=" << j << "value=" << value;
    }
    return true;
}
