#pragma once
// The program's option step and the ways of running the main dialog besides
// the operator's: the demonstration, a single screenshot, a window of a
// given size.

#include "demooptions.h"

#include <QSize>
#include <QString>
#include <QStringList>

class CDlgMain;
class QTextStream;
class QWidget;

// Takes the winch address ("--winch", ZPVW_WINCH) and the options of
// demooptions.h out of args and installs the winch address. The demo never
// falls back to the controller's built-in address: in the automatic mode it
// needs the override, in the manual modes it runs without a winch link when
// none is named. Returns -1 to go on, or 2 after writing the error to err.
// raw is the command line as the program got it (names are decoded from it,
// see redecodeNameOptions).
int handleAppOptions(QStringList &args, const QList<QByteArray> &raw, AppOptions *options, QTextStream &err);

// True when the raw command line asks for the demo (before the toolkit has
// seen it: the debug output is to be quiet from the first line on).
bool wantsDemo(int argc, char **argv);

// Drops debug, information and warning output, so that a run's standard
// error holds only its own failure line; ZPVW_DEMO_VERBOSE keeps it.
void quietDebugOutput();

// Fixes a full-screen window to size, centred on the primary screen.
void applyWindowSize(QWidget &window, const QSize &size);

// Shows the main dialog, saves the whole screen to file once the dialog has
// painted and closes it. 0 on success, else 1 after a message on stderr.
int runScreenshotOnce(CDlgMain &dlg, const QString &file);
