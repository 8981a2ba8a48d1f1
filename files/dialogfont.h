#pragma once
// The small dialogs take their fonts from the control record. The theme's
// style sheets set fonts on labels and buttons, and a style sheet font beats
// QWidget::setFont, so the record's font is handed over as a style rule.

#include <QFont>
#include <QString>

namespace DialogFont {
// "font: [italic] normal|bold Npt \"family\"; "
QString rule(const QFont &font);
}
