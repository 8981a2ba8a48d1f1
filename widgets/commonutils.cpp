#include "commonutils.h"

#include "sysconfig.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QScreen>
#include <QWidget>

QString QKRVCommomUtils::themeName() { return style == 1 ? QStringLiteral("black") : QStringLiteral("white"); }

namespace {
bool smallWindow = false;

// A rectangle of that size centred on the primary screen's available area.
QRect centredOnScreen(const QSize &size)
{
    QRect r(QPoint(0, 0), size);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        r.moveCenter(screen->availableGeometry().center());
    return r;
}
} // namespace

QRect QKRVCommomUtils::screenRect()
{
    if (smallWindow)
        return centredOnScreen(kSmallScreenSize);
    if (isSmallScreen())
        return QRect(QPoint(100, 100), QPoint(899, 699));
    if (QScreen *s = QGuiApplication::primaryScreen())
        return s->availableGeometry();
    return QRect(0, 0, 1024, 768);
}

bool QKRVCommomUtils::loadStyleSheet(QWidget *widget, QString &path, const QString &suffix)
{
    if (!widget)
        return false;
    if (path.isEmpty()) {
        path = QStringLiteral(":/styles/styles/") + themeName() + QLatin1Char('/')
               + QString::fromLatin1(widget->metaObject()->className()) + suffix + QStringLiteral(".qss");
    }
    const QString ext = path.right(4);
    if (ext != QLatin1String(".qss") && ext != QLatin1String(".QSS") && ext != QLatin1String(".css"))
        return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    widget->setStyleSheet(widget->styleSheet() + QString::fromUtf8(f.readAll()));
    return true;
}

bool QKRVCommomUtils::loadCommonStyleSheet(QWidget *widget)
{
    QString path = QStringLiteral(":/styles/styles/") + themeName() + QStringLiteral("/CommomStyles.qss");
    return loadStyleSheet(widget, path, QString());
}

bool QKRVCommomUtils::setAppFont(QApplication *app)
{
    QFont font;
    font.setPixelSize(16);
    const QString family = QStringLiteral("思源黑体 CN Medium");
    if (!QFontDatabase().families().contains(family))
        return false;
    font.setFamily(family);
    if (app)
        QApplication::setFont(font);
    return true;
}

void applyWindowSize(QWidget &window, const QSize &size)
{
    if (!size.isValid())
        return;
    window.setFixedSize(size);
    if (QGuiApplication::primaryScreen())
        window.move(centredOnScreen(size).topLeft());
}

void followWindowSize(const QSize &size)
{
    smallWindow = size.isValid() && size.width() <= kSmallScreenSize.width()
                  && size.height() <= kSmallScreenSize.height();
    QKRVCommomUtils::setSmallScreen(smallWindow);
}
