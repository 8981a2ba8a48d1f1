#include "sysconfig.h"

#include <QFile>
#include <QTextCodec>
#include <QTextStream>

int32_t language = 0;
int32_t style = 0;
int32_t light = 7;
uint8_t bMeasure = 0;
int32_t deviceType = 0;
int32_t screensaverLevel = 4;

void resetSysBaseConfig()
{
    language = 0;
    style = 0;
    light = 7;
    bMeasure = 0;
    deviceType = 0;
    screensaverLevel = 4;
}

int32_t screensaverSecondsForLevel(int32_t level)
{
    switch (level) {
    case 1: return 60;
    case 2: return 300;
    case 3: return 600;
    default: return 0;
    }
}

bool writeConfigXml(const QString &path, const QString &paramElement,
                    const QVector<QPair<QString, QString>> &values)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QTextStream out(&f);
    out.setCodec(QTextCodec::codecForName("GB2312"));
    out << "<?xml version=\"1.0\" encoding=\"GB2312\" ?>\n";
    out << "<KRV_CONFIG>\n";
    out << "   <" << paramElement << ">\n";
    for (const auto &kv : values)
        out << "      <" << kv.first << '>' << kv.second.toHtmlEscaped() << "</" << kv.first << ">\n";
    out << "   </" << paramElement << ">\n";
    out << "</KRV_CONFIG>\n";
    out.flush();
    f.close();
    return f.error() == QFile::NoError;
}
