#pragma once
// Window utilities shared by every dialog: where the application lives, the
// screen area a window may use, the theme's style sheets and the font.

#include <QObject>
#include <QRect>
#include <QString>

class QApplication;
class QWidget;

class QKRVCommomUtils : public QObject {
    Q_OBJECT
public:
    // Directory of the executable, or the folder named by the environment
    // variable ZPVW_APP_DIR (tests, run scripts).
    static QString appPath();
    // "white", or "black" when the style setting is 1.
    static QString themeName();
    // Available desktop area; the fixed 800x600 area at (100,100) when a
    // directory "8.4" exists in the application directory.
    static QRect screenRect();
    // Appends a style sheet resource to the widget's sheet. An empty path is
    // built from the theme and the widget's class name (plus suffix) and stored
    // back into path.
    static bool loadStyleSheet(QWidget *widget, QString &path, const QString &suffix = QString());
    static bool loadCommonStyleSheet(QWidget *widget);
    static bool setAppFont(QApplication *app);
    // Reads "SysBaseConfig.INI" from the application directory.
    static bool loadSysBaseConfig();
    // True when the small-screen marker directory exists.
    static bool isSmallScreen();
};
