#pragma once
// What a dialog shows, as text: everything its widgets paint, plus the texts
// that are shown without being painted now (window titles, the items of combo
// boxes, tool tips). Used to check that a screen speaks the language it
// should.

#include <QStringList>

class QWidget;

// Every text the widget and its visible children paint when the widget is
// rendered, and the titles, combo items and tool tips of those widgets.
QStringList shownTexts(QWidget *widget);

// True when the text holds a Chinese (Han) character.
bool hasHan(const QString &text);

// The shown texts that still hold a Han character once every occurrence of
// the user's own data (project and hole names and the like) is taken out.
QStringList hanTextsExcept(const QStringList &texts, const QStringList &userData);
