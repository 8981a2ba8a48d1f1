#include "buttontextfit.h"

#include <QAbstractButton>
#include <QFontInfo>
#include <QVariant>

namespace {
const char *const kFittedSize = "zpvwFittedPixelSize";

void setPixelSize(QAbstractButton *button, int px)
{
    button->setStyleSheet(px > 0 ? QStringLiteral("font-size: %1px;").arg(px) : QString());
    button->ensurePolished();
}
} // namespace

void fitButtonText(QAbstractButton *button, int floorPixelSize)
{
    if (!button)
        return;
    // Start from the style sheets' own size every time: a shorter text
    // (another state's) gets its full size back.
    if (button->property(kFittedSize).toInt() > 0)
        setPixelSize(button, 0);
    button->setProperty(kFittedSize, 0);
    button->ensurePolished();
    const int width = button->width();
    if (width <= 0 || button->sizeHint().width() <= width)
        return;
    const int preferred = button->font().pixelSize() > 0 ? button->font().pixelSize()
                                                           : QFontInfo(button->font()).pixelSize();
    const int px = largestFittingPixelSize(preferred - 1, floorPixelSize, [&](int candidate) {
        setPixelSize(button, candidate);
        return button->sizeHint().width() <= width;
    });
    setPixelSize(button, px);
    button->setProperty(kFittedSize, px);
}
