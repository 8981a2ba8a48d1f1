#pragma once
// The program's own command-line options: the winch controller's address
// ("--winch HOST:PORT", or ZPVW_WINCH), and besides "-V" (core/startup.h):
//
//   --demo                 run one test unattended (see demorun.h)
//     --project NAME       project name and folder        (default "Demo")
//     --hole NAME          hole number and file name       (default: the first
//                          free of DEMO1, DEMO2, ... in the project folder)
//     --depth METRES       hole depth, 0.01 ... 200, two decimals at most (2)
//     --move MM            move distance, one of the set-up's distances (50)
//     --mode auto|manual|4s|6s|8s                          (auto)
//     --basis TEXT         acceptance basis as the set-up's grid offers it,
//                          e.g. "JGJ 94 端承桩"
//     --limit MM           acceptance basis: a design value, 1 ... 100000 mm
//     --position P         measuring position: centre, X, X', Y or Y'
//     --judge METRES       after saving, review the file and judge at this depth
//     --shots DIR          PNG of every dialog the demo answers
//     --max-seconds N      give up after N seconds (300)
//   --screenshot FILE      PNG of the whole screen: at the end of the demo, or
//                          without --demo once the main screen has painted
//   --window WxH           a window of that size instead of the whole screen
//   --device               print "<device id> <public key>" and exit (the key
//                          is made when there is none)
//   --sync                 send the tests waiting for the archive and exit:
//                          0 when none is left, 1 otherwise
//   --archive-url URL      the archive's upload address (https://...), or
//                          ZPVW_ARCHIVE_URL, or the settings file
//   --archive-ca FILE      the CA certificate to trust for it, or
//                          ZPVW_ARCHIVE_CA, or the settings file
//
//   --help                 print the options (appHelpText) and exit 0
//   --version              print the version and exit 0
//
// Values come as "--name value" or "--name=value". Recognised options are
// taken out of the argument list; the toolkit's own options (-platform NAME
// and the like) are let through, and any other argument is refused.

#include <QByteArray>
#include <QList>
#include <QVector>
#include <QSize>
#include <QString>
#include <QStringList>

class QTextStream;

struct AppOptions {
    bool demo = false;
    QString project = QStringLiteral("Demo");
    QString hole;
    int depthMm = 2000;
    int moveMm = 50;
    int modeCode = 0; // SampleModes::AutoRaise
    QString basis;
    int limitMm = 0;
    int position = 0; // MeasuringPosition::Unnamed
    bool judge = false;
    int judgeDepthMm = 0;
    QString shotsDir;
    int maxSeconds = 300;
    QString screenshot;
    QSize window;
    bool device = false;
    bool sync = false;
    QString archiveUrl;
    QString archiveCa;
};

// One option as --help and the README's option table show it.
struct AppOptionRow {
    QString option;       // "--depth METRES"
    QString defaultValue; // "2", or empty
    QString meaning;
};
// Every option of the program, in the order --help lists them. The README's
// option table holds the same rows (a test compares them).
QVector<AppOptionRow> appOptionTable();
// What --help prints: a usage line and the table.
QString appHelpText();

// The window size that gives the small-screen variant (800x600), as the
// folder "8.4" in the application directory does.
QSize smallScreenWindow();

// The step before everything else (before the sibling programs are stopped
// and before the toolkit, a window or a link starts), on the command line as
// the program got it (raw bytes, see redecodeNameOptions): "--help" and "--version" print to out and give 0; an
// unknown option, a malformed one or a stray argument is refused with a line
// on err naming it and gives 2; otherwise -1 to go on. The version report
// mode ("-V NAME") is left to its own step.
int handleEarlyOptions(const QList<QByteArray> &raw, QTextStream &out, QTextStream &err);

// The move distances the set-up dialog offers.
QStringList demoMoveDistances();

// Mode word of the command line ("auto", "manual", "4s", "6s", "8s") to the
// sampling-mode code; -1 for any other word.
int demoModeCode(const QString &word);

// Parses and removes the options above from args (args[0] is the program).
// False with *error when an option is malformed, out of range, repeated in a
// way that contradicts itself, or belongs to the demo without --demo; with
// --demo, any other argument starting with "--" is refused too.
bool parseAppOptions(QStringList &args, AppOptions *options, QString *error);

// A name typed on a command line: UTF-8 when the bytes are valid UTF-8 (a
// development machine's terminal), else the locale's code page (GBK on the
// instrument, where the program makes it the locale's).
QString decodeCommandLineName(const QByteArray &raw);

// Decodes the values of --project and --hole in args again from the raw
// command line with decodeCommandLineName; args is the list the toolkit made
// of raw (with the locale's code page, some of its own options removed).
void redecodeNameOptions(QStringList &args, const QList<QByteArray> &raw);

// The option step of the start: takes the winch address ("--winch",
// ZPVW_WINCH) and the options above out of args and installs the winch
// address; "--window 800x600" chooses the small-screen variant. The demo never falls back to the controller's built-in address: in
// the automatic mode it needs the override, in the manual modes it runs
// without a winch link when none is named. Returns -1 to go on, or 2 after
// writing the error to err. raw is the command line as the program got it
// (names are decoded from it, see redecodeNameOptions).
int handleAppOptions(QStringList &args, const QList<QByteArray> &raw, AppOptions *options, QTextStream &err);

// True when the raw command line asks for the demo (before the toolkit has
// seen it: the debug output is to be quiet from the first line on).
bool wantsDemo(int argc, char **argv);

// True when the raw command line asks for a console command (--device,
// --sync), which needs no screen.
bool wantsConsoleCommand(int argc, char **argv);

// True when a name can be a hole file or project folder name: not empty, no
// folder separators, not "." or "..", every character in GBK and at most 79
// GBK bytes (the set-up keeps no more).
bool isUsableDemoName(const QString &name, QString *why);
