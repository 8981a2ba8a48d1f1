#pragma once
// Window utilities shared by every dialog: the screen area a window may use,
// the theme's style sheets and the font. Where the application lives is in
// core/appdir.h, in the same name space.

#include "appdir.h"

#include <QRect>
#include <QSize>
#include <QString>

class QApplication;
class QWidget;

namespace QKRVCommomUtils {
// "white", or "black" when the style setting is 1.
QString themeName();
// Available desktop area; the fixed 800x600 area at (100,100) when a
// directory "8.4" exists in the application directory; the 800x600 area
// centred on the screen when the window was made that size (followWindowSize).
QRect screenRect();
// Appends a style sheet resource to the widget's sheet. An empty path is
// built from the theme and the widget's class name (plus suffix) and stored
// back into path.
bool loadStyleSheet(QWidget *widget, QString &path, const QString &suffix = QString());
bool loadCommonStyleSheet(QWidget *widget);
bool setAppFont(QApplication *app);
} // namespace QKRVCommomUtils

// Fixes a full-screen window to size (the --window option), centred on the
// primary screen; an invalid size leaves the window as it is.
void applyWindowSize(QWidget &window, const QSize &size);
// The size of the 8.4-inch instrument's screen.
constexpr QSize kSmallScreenSize(800, 600);
// A window no larger than the 8.4-inch screen (--window 800x600) shows the
// small-screen variant, as the "8.4" folder does: every dialog follows.
// Before the main screen is made.
void followWindowSize(const QSize &size);
