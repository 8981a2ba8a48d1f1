#include "commandbuttons.h"

#include "buttontextfit.h"
#include "mytable.h"

#include <QColor>
#include <QIcon>
#include <QPushButton>

void applyCommandButtonTheme(const QList<QPushButton *> &withIcons, QPushButton *back, CMyTable *table, int theme)
{
    table->SetHeaderFont(18);
    if (theme != 0) {
        const QString colour = theme == 1 ? QStringLiteral("white") : QStringLiteral("blue");
        for (QPushButton *b : withIcons) {
            b->setIcon(QIcon(QStringLiteral(":/btn-icon/ui-images/btn/") + b->objectName() + QLatin1Char('-')
                             + colour + QStringLiteral(".png")));
        }
        back->setIcon(QIcon(QStringLiteral(":/btn-icon/ui-images/btn/BtnBack-") + colour + QStringLiteral(".png")));
    } else {
        table->SetHeaderBackground(QColor(71, 163, 248));
        table->SetHeaderTextColor(Qt::white);
        table->SetGridColor(QColor(201, 201, 201));
    }
}

void fitCommandTexts(QWidget *row) { new ButtonTextFitter(row); }
