#pragma once
// The main screen's command row: its icons by theme (and the table's colours
// of the classic theme), and texts that shrink to their buttons.

#include <QList>

class CMyTable;
class QPushButton;
class QWidget;

// theme: the basic setting `style` (0 classic, 1 dark, otherwise light).
void applyCommandButtonTheme(const QList<QPushButton *> &withIcons, QPushButton *back, CMyTable *table, int theme);

// Keeps every button of the row fitted to its width, whatever the language.
void fitCommandTexts(QWidget *row);
