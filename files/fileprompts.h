#pragma once
// The message box and question of the file dialogs.

#include <QString>

class QWidget;

namespace FilePrompts {
// A notice with OK only.
void showMessage(const QString &text, QWidget *parent);
// OK/Cancel question; true when the operator pressed OK. The export asks in
// the compact size.
bool ask(const QString &text, bool compact, QWidget *parent);
}
