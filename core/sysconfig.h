#pragma once
// Basic system settings read from "SysBaseConfig.INI" at start-up, and the
// XML layout shared by the program's small configuration files.

#include <QPair>
#include <QString>
#include <QVector>
#include <cstdint>

extern int32_t language;         // 1 = English
extern int32_t style;            // 1 = black theme
extern int32_t light;            // backlight level
extern uint8_t bMeasure;         // kept, no reader
extern int32_t deviceType;       // kept, no reader
extern int32_t screensaverLevel; // 1, 2, 3 = 60, 300, 600 s; else never

// Puts the basic settings back to their built-in defaults.
void resetSysBaseConfig();

// Seconds before the screen saver for a level (0 = never).
int32_t screensaverSecondsForLevel(int32_t level);

// Writes a configuration file: the GB2312 XML declaration, the root
// KRV_CONFIG, one parameter element holding one element per key, indented by
// three blanks per level. Returns false when the file cannot be written.
bool writeConfigXml(const QString &path, const QString &paramElement,
                    const QVector<QPair<QString, QString>> &values);
