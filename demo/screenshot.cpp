#include "screenshot.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

QImage grabWindow(QWidget *window) { return window->grab().toImage(); }

QImage grabScreen()
{
    QRect area(0, 0, 1024, 768);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        area = screen->geometry();
    QList<QWidget *> windows;
    QWidget *modal = QApplication::activeModalWidget();
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || w == modal || w->windowType() == Qt::Desktop)
            continue;
        windows << w;
    }
    // Modeless windows keep their creation order; the modal one is in front.
    if (modal && modal->isVisible())
        windows << modal;
    // Only a window larger than the screen widens the picture; one that
    // merely sticks out (a window frame) is cut at the screen's edge.
    for (QWidget *w : windows) {
        if (w->width() > area.width() || w->height() > area.height())
            area |= w->geometry();
    }

    QImage canvas(area.size(), QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    for (QWidget *w : windows)
        painter.drawPixmap(w->geometry().topLeft() - area.topLeft(), w->grab());
    painter.end();
    return canvas;
}

bool savePng(const QImage &image, const QString &path, QString *why)
{
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        *why = QStringLiteral("cannot create the folder %1").arg(info.absolutePath());
        return false;
    }
    if (image.isNull() || !image.save(path, "PNG")) {
        *why = QStringLiteral("cannot write %1").arg(path);
        return false;
    }
    return true;
}
