#include "dialogframe.h"

#include "buttontextfit.h"
#include "commonutils.h"
#include "sysconfig.h"

#include <QDialog>
#include <QSpacerItem>

namespace DialogFrame {

void prepare(QDialog *dialog)
{
    // The dialog type stays: without it a dialog with a parent would become a
    // plain child widget, drawn inside its parent and not modal.
    dialog->setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    dialog->setAttribute(Qt::WA_TranslucentBackground);
}

void coverScreen(QDialog *dialog)
{
    dialog->setGeometry(QKRVCommomUtils::screenRect());
    QKRVCommomUtils::loadCommonStyleSheet(dialog);
    new ButtonTextFitter(dialog);
}

void collapseSpacer(QSpacerItem *spacer)
{
    if (spacer)
        spacer->changeSize(0, 0, QSizePolicy::Fixed, QSizePolicy::Fixed);
}

bool isEnglish() { return language == 1; }

QString pick(const QString &chinese, const char *english)
{
    return isEnglish() ? QString::fromUtf8(english) : chinese;
}

} // namespace DialogFrame
