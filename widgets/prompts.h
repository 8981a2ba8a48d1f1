#pragma once
// The modal notice (OK only) and question (OK/Cancel) every screen asks with.

#include <QString>

class QWidget;

namespace Prompts {
// A notice with OK only.
void showMessage(const QString &text, QWidget *parent);
// OK/Cancel question; true when the operator pressed OK. The export asks in
// the compact size.
bool ask(const QString &text, bool compact, QWidget *parent);
// The same with 取消 (Cancel) as the default button: Enter keeps things as
// they are. For questions whose OK loses data.
bool askCancelFirst(const QString &text, QWidget *parent);
}
