#include "appstart.h"

#include "screenshot.h"

#include "ctrlinfo.h"
#include "dlgmain.h"
#include "winchaddress.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QProcessEnvironment>
#include <QScreen>
#include <QTextStream>
#include <QTimer>
#include <cstdio>
#include <cstring>

namespace {
constexpr int kPaintLimitMs = 60000;
constexpr int kSettleMs = 300;

void dropChatter(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        fprintf(stderr, "%s\n", qUtf8Printable(text));
}

// Notes the first paint of a widget.
class CPaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};
}

int handleAppOptions(QStringList &args, const QList<QByteArray> &raw, AppOptions *options, QTextStream &err)
{
    redecodeNameOptions(args, raw);
    const QString env = QProcessEnvironment::systemEnvironment().value(QStringLiteral("ZPVW_WINCH"));
    const WinchAddressChoice winch = chooseWinchAddress(args, env);
    if (!winch.ok) {
        err << "zpvw: " << winch.error << '\n';
        err.flush();
        return 2;
    }
    QString error;
    if (!parseAppOptions(args, options, &error)) {
        err << "zpvw: " << error << '\n';
        err.flush();
        return 2;
    }
    if (options->demo && !winch.overridden) {
        if (options->modeCode == SampleModes::AutoRaise) {
            err << "zpvw --demo: the automatic mode needs the winch controller's address: "
                   "--winch HOST:PORT or ZPVW_WINCH\n";
            err.flush();
            return 2;
        }
        clearConfiguredWinchAddress();
        return -1;
    }
    setConfiguredWinchAddress(winch.address);
    return -1;
}

bool wantsDemo(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--demo") == 0)
            return true;
    }
    return false;
}

void quietDebugOutput()
{
    if (QProcessEnvironment::systemEnvironment().value(QStringLiteral("ZPVW_DEMO_VERBOSE")).isEmpty())
        qInstallMessageHandler(dropChatter);
}

void applyWindowSize(QWidget &window, const QSize &size)
{
    if (!size.isValid())
        return;
    window.setFixedSize(size);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect r(QPoint(0, 0), size);
        r.moveCenter(screen->availableGeometry().center());
        window.move(r.topLeft());
    }
}

int runScreenshotOnce(CDlgMain &dlg, const QString &file)
{
    QDialog &window = dlg;
    CPaintWatch watch;
    window.installEventFilter(&watch);
    int status = 1;
    QString why = QStringLiteral("the main screen did not paint within %1 s").arg(kPaintLimitMs / 1000);
    QTimer poll;
    poll.setInterval(20);
    QTimer::singleShot(kPaintLimitMs, &window, [&window] { window.done(QDialog::Rejected); });
    QObject::connect(&poll, &QTimer::timeout, &window, [&] {
        if (!watch.painted)
            return;
        poll.stop();
        // The curve and the table follow the first paint on a short timer.
        QTimer::singleShot(kSettleMs, &window, [&] {
            if (savePng(grabScreen(), file, &why))
                status = 0;
            window.done(status == 0 ? QDialog::Accepted : QDialog::Rejected);
        });
    });
    poll.start();
    window.show();
    window.exec();
    window.removeEventFilter(&watch);
    if (status != 0)
        fprintf(stderr, "zpvw --screenshot: %s\n", qUtf8Printable(why));
    return status;
}
