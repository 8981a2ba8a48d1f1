#pragma once
// The on-screen entry and message dialogs as the set-up dialogs use them:
// each runs modally without a parent and tells whether the operator
// accepted.

#include <QString>
#include <QStringList>

namespace EntryDialogs {

// Numeric keypad titled `title`, starting from `text`, without a range of its
// own; `dot` and `sign` enable the point and minus keys.
bool number(const QString &title, const QString &text, bool dot, bool sign, float *value);
// Pinyin keyboard starting from `text`, with an empty title; the result is
// trimmed.
bool text(const QString &initial, QString *result);
// Selection grid titled `title` with up to fifteen items; chosen takes the
// index of the item pressed (never its text).
bool choose(const QString &title, const QStringList &items, int *chosen);
// Message box with OK only.
void message(const QString &text);
// Full-size question; true on OK.
bool ask(const QString &text);

} // namespace EntryDialogs
