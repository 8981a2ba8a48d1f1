#pragma once
// Where the application lives: its folder, the small-screen marker in it and
// the basic configuration file read from it. The window utilities of the
// same name space (style sheets, font, screen area) are in
// widgets/commonutils.h.

#include <QString>

namespace QKRVCommomUtils {
// Directory of the executable, or the folder named by the environment
// variable ZPVW_APP_DIR (tests, run scripts).
QString appPath();
// Reads "SysBaseConfig.INI" from the application directory.
bool loadSysBaseConfig();
// True when the small-screen marker directory "8.4" exists, or the program
// was asked for the small screen (chooseSmallScreen: "--window 800x600").
bool isSmallScreen();
// Makes isSmallScreen() true for the rest of the run.
void chooseSmallScreen();
} // namespace QKRVCommomUtils
