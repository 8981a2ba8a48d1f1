// zpvw-benchrun: the instrument program started exactly as zpvw starts it,
// with two additions that only the process benchmarks (zpvw-procbench) use:
//
//   --first-paint-exit  print "first-paint-ms T" once the main screen's first
//                       frame is painted, curve and table included (T counted
//                       from ZPVW_BENCH_T0, the launcher's CLOCK_MONOTONIC
//                       milliseconds, else from main()) and close the program;
//   --raise             take the operator's steps of a new automatic test
//                       ("新存", the file name typed and confirmed), print
//                       "raising" once the acquisition reports the raise and
//                       "samples N" every second the count changed.
//
// Every other option is the program's own (-qws, ...). The winch address
// (--winch HOST:PORT or ZPVW_WINCH) is required.

#include "acqstate.h"
#include "benchsupport.h"
#include "commonutils.h"
#include "ctrlinfo.h"
#include "device.h"
#include "dlgmain.h"
#include "testsession.h"
#include "firstframe.h"
#include "keyboard.h"
#include "startup.h"
#include "testrecord.h"
#include "winchaddress.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTextStream>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

double gStartMs = 0;
bool gFirstPaintExit = false;
bool gRaise = false;

void say(const char *fmt, double value = 0)
{
    std::printf(fmt, value);
    std::printf("\n");
    std::fflush(stdout);
}

// Answers the dialogs a new test asks on the way: the file name is typed,
// every question and notice accepted.
void answerModal()
{
    QWidget *w = QApplication::activeModalWidget();
    auto *dlg = qobject_cast<QDialog *>(w);
    if (!dlg || qobject_cast<CDlgMain *>(dlg))
        return;
    if (qobject_cast<keyboard *>(dlg)) {
        if (auto *edit = dlg->findChild<QLineEdit *>(QStringLiteral("valueEdit")))
            edit->setText(QStringLiteral("bench"));
    }
    dlg->accept();
}

class CBenchPilot : public QObject {
public:
    explicit CBenchPilot(CDlgMain *dlg)
        : m_dlg(dlg), m_watch(dlg, [this] {
              // Runs once the paint pass that completed the frame is over.
              QTimer::singleShot(0, this, [this] { firstFrameDone(); });
          })
    {
    }

private:
    void firstFrameDone()
    {
        say("first-paint-ms %.1f", monotonicMs() - gStartMs);
        if (gFirstPaintExit) {
            m_dlg->done(0);
            return;
        }
        if (gRaise)
            startTest();
    }

    void startTest()
    {
        auto *answers = new QTimer(this);
        connect(answers, &QTimer::timeout, this, [] { answerModal(); });
        answers->start(50);
        m_dlg->on_BtnNew_clicked(); // returns once the name is given
        answers->stop();
        // Slow enough to cost nothing next to what is measured.
        auto *watch = new QTimer(this);
        connect(watch, &QTimer::timeout, this, [this] { reportState(); });
        watch->start(1000);
        reportState();
    }

    void reportState()
    {
        const int n = m_dlg->session()->samples().size();
        if (n != m_lastCount) {
            m_lastCount = n;
            std::printf("samples %d\n", n);
            std::fflush(stdout);
        }
        const uint32_t word = m_dlg->session()->state();
        if (word == m_lastState)
            return;
        m_lastState = word;
        if (AcqState::code(word) == AcqState::Raising && AcqState::sub(word) == 0)
            say("raising");
        else
            std::printf("state %08x\n", unsigned(word)), std::fflush(stdout);
    }

    QPointer<CDlgMain> m_dlg;
    CFirstFrameWatch m_watch;
    uint32_t m_lastState = 0;
    int m_lastCount = -1;
};

} // namespace

int main(int argc, char **argv)
{
    const QByteArray t0 = qgetenv("ZPVW_BENCH_T0");
    gStartMs = t0.isEmpty() ? monotonicMs() : t0.toDouble();
    std::vector<char *> kept;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--first-paint-exit") == 0)
            gFirstPaintExit = true;
        else if (std::strcmp(argv[i], "--raise") == 0)
            gRaise = true;
        else
            kept.push_back(argv[i]);
    }
    int keptArgc = int(kept.size());
    kept.push_back(nullptr);
    // A benchmark talks to the simulator only: without an address given, the
    // program would use the controller's on the instrument network.
    bool winchGiven = !qgetenv("ZPVW_WINCH").isEmpty();
    for (int i = 1; i < keptArgc; ++i)
        winchGiven = winchGiven || std::strncmp(kept[size_t(i)], "--winch", 7) == 0;
    if (!winchGiven) {
        std::fprintf(stderr, "zpvw-benchrun: give --winch 127.0.0.1:PORT (or ZPVW_WINCH)\n");
        return 2;
    }

    // The steps of app/main.cpp in its order, with the pilot beside the main
    // dialog; no version report and no options but the winch address.
    QCoreApplication::addLibraryPath(QStringLiteral("./plugins"));
    installGbkCodec();
    stopSiblingPrograms(rawArguments(keptArgc, kept.data()));
    ArgumentsWithoutQws toolkitArgs(keptArgc, kept.data());
    QTranslator translator;
    const bool catalogueLoaded = translator.load(QStringLiteral(":/Language/English.qm"));
    QApplication app(toolkitArgs.argc(), toolkitArgs.argv());
    QStringList args = QCoreApplication::arguments();
    {
        QTextStream err(stderr);
        const int status = handleWinchOptions(args, err);
        if (status >= 0)
            return status;
    }
    QKRVCommomUtils::loadSysBaseConfig();
    QKRVCommomUtils::setAppFont(&app);
    if (catalogueLoaded && shouldInstallEnglish())
        QCoreApplication::installTranslator(&translator);
    openDevice();

    CDlgMain dlg;
    CBenchPilot pilot(&dlg);
    dlg.exec();
    return 0;
}
