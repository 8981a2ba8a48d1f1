#pragma once
// Pictures of what the program shows, for demonstrations, the user guide and
// checks, made the same way on every platform (X11, Wayland, offscreen, the
// frame buffer): each visible window is asked to render itself.

#include <QImage>
#include <QString>

class QWidget;

// The whole screen: every visible top-level window at its place, the active
// modal dialog on top, on black. The picture covers the primary screen, and
// any window larger than the screen.
QImage grabScreen();

// Writes a picture as PNG, creating the folder; false with *why on failure.
bool savePng(const QImage &image, const QString &path, QString *why);

// One window as it is drawn now.
QImage grabWindow(QWidget *window);
