#pragma once
// The ways of running the main dialog besides the operator's that belong to
// the demonstration: its quiet output and a single screenshot. The options
// that choose them are in options/appoptions.h.

#include <QString>

class CDlgMain;

// Drops debug, information and warning output, so that a run's standard
// error holds only its own failure line; ZPVW_DEMO_VERBOSE keeps it.
void quietDebugOutput();

// Shows the main dialog, saves the whole screen to file once the dialog has
// painted and closes it. 0 on success, else 1 after a message on stderr.
int runScreenshotOnce(CDlgMain &dlg, const QString &file);
