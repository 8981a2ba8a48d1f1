#pragma once
// The program's entry point, with the steps that need other subsystems
// (opening the device, command-line options of the acquisition, the main
// dialog) handed in by the application so that the core depends on nothing.

#include <QString>
#include <QStringList>
#include <functional>

class QTranslator;

struct StartupHooks {
    // Handles the program's own options on the reduced argument list (after
    // the toolkit removed its options). Returns -1 to go on, or the exit
    // status to end with before any window opens.
    std::function<int(QStringList &args)> handleOptions;
    // Marks the acquisition device open.
    std::function<void()> openDevice;
    // Constructs and runs the main dialog; its result is ignored (exit code 0).
    std::function<void()> runMainDialog;
};

// Version text reported by "-V NAME".
QString versionText();

// True when the raw command line asks to stop the sibling instrument programs:
// always, unless the raw third entry (trimmed) is "-V".
bool shouldStopSiblings(const QStringList &rawArgs);
// Stops the sibling programs when the marker file "/IsEnableKill" exists.
void stopSiblingPrograms(const QStringList &rawArgs);

// True when the reduced argument list selects the version-report mode.
bool isVersionReportMode(const QStringList &args);
// Writes the version text to NAME.KRV (Qt data stream, version 7).
bool writeVersionReport(const QString &name);

// Removes "-qws" (the embedded window-server option) as the toolkit used to.
QStringList withoutQwsOption(const QStringList &rawArgs);

// True when the English catalogue is to be installed.
bool shouldInstallEnglish();

// Installs the text codecs of the locale (GBK).
void installGbkCodec();

int runZpvwApplication(int argc, char **argv, const StartupHooks &hooks);
