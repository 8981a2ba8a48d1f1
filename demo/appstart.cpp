#include "appstart.h"

#include "screenshot.h"

#include "dlgmain.h"

#include <QEvent>
#include <QProcessEnvironment>
#include <QTimer>
#include <cstdio>

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

void quietDebugOutput()
{
    if (QProcessEnvironment::systemEnvironment().value(QStringLiteral("ZPVW_DEMO_VERBOSE")).isEmpty())
        qInstallMessageHandler(dropChatter);
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
