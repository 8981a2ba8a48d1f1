#pragma once
// The steps of the program's start that need nothing but Qt Core;
// app/main.cpp calls them in order, with the toolkit's and the other
// subsystems' steps between them.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// Version text reported by "-V NAME".
QString versionText();

// True when the command line asks for a console command ("--device",
// "--sync") that prints, or sends, and exits without a window.
bool isConsoleCommand(const QStringList &rawArgs);
// True when the raw command line asks to stop the sibling instrument programs:
// always, unless the raw third entry (trimmed) is "-V" or it is a console
// command (asking for the device id must not stop a running test).
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

// The command line as the program got it, in the locale's code page.
QStringList rawArguments(int argc, char **argv);

// argc and argv without "-qws": Qt 5 has no embedded window server, so the
// option is accepted and dropped before the toolkit sees the list, and the
// following steps see the list the toolkit used to leave. Keeps the texts
// argv points to, so it must outlive the application object.
class ArgumentsWithoutQws {
public:
    ArgumentsWithoutQws(int argc, char **argv);
    ArgumentsWithoutQws(const ArgumentsWithoutQws &) = delete;
    ArgumentsWithoutQws &operator=(const ArgumentsWithoutQws &) = delete;

    // A reference: the application object keeps it.
    int &argc() { return m_argc; }
    char **argv() { return m_argv.data(); }
    // The kept entries in the locale's code page.
    QStringList texts() const;

private:
    std::vector<QByteArray> m_kept;
    std::vector<char *> m_argv;
    int m_argc = 0;
};
