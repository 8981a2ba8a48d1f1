#pragma once
// Construction steps shared by the modal dialogs that dim the whole screen
// behind a panel: message boxes, question, selection grid, numeric keypad.

#include <QString>

class QDialog;
class QSpacerItem;

namespace DialogFrame {

// Before the form is built: frameless window with a translucent background,
// so the form's semi-transparent backdrop dims the screen behind it.
void prepare(QDialog *dialog);

// After the form is built: cover the usable screen, take the theme's
// common style sheet and keep every button's text fitted to its button.
void coverScreen(QDialog *dialog);

// Shrinks a spacer to nothing so the button beside it stands alone.
void collapseSpacer(QSpacerItem *spacer);

// True when the operator chose English.
bool isEnglish();

// The English text when the operator chose English, else the Chinese text
// (already passed through the catalogue by the caller).
QString pick(const QString &chinese, const char *english);

} // namespace DialogFrame
