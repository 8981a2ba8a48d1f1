#pragma once
// The operator's touches, for the demonstration: what a finger on the touch
// screen makes of a field, a keypad and a list of stored files.

#include <QString>
#include <QStringList>

class CDlgExportFile;
class QWidget;

namespace DemoInput {

// A touch on a field: text fields get the focus (their entry dialog opens on
// it), other widgets a press. Returns after the dialog the touch opened closed.
void touch(QWidget *field);

// Types text on the numeric keypad w with its digit and point keys; false
// with *why when a key is missing or the keypad does not show the text.
bool typeOnKeypad(QWidget *w, const QString &text, QString *why);

// Presses the browser's entry named name, turning pages when needed; false
// with *why when no page lists it. Returns after the operations dialog the
// press opened closed.
bool pressListedItem(CDlgExportFile *browser, const QStringList &names, QString *why);

}
