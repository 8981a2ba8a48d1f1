#include "buttontextfit.h"

#include <QAbstractButton>
#include <QEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <QStyle>
#include <QStyleOptionButton>
#include <QVariant>

namespace {
const char *const kNaturalSize = "zpvwNaturalPixelSize";

int textWidth(const QFont &font, const QString &text)
{
    const QFontMetrics fm(font);
    int w = 0;
    for (const QString &line : text.split(QLatin1Char('\n')))
        w = qMax(w, fm.horizontalAdvance(line));
    return w;
}

int pixelSizeOf(const QFont &font) { return font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize(); }
} // namespace

void fitButtonText(QAbstractButton *button, int floorPixelSize)
{
    if (!button || button->width() <= 0)
        return;
    button->ensurePolished();
    int natural = button->property(kNaturalSize).toInt();
    if (natural <= 0) {
        natural = pixelSizeOf(button->font());
        button->setProperty(kNaturalSize, natural);
    }
    // The room for the text: the button's contents (its border and padding
    // taken off) less the icon and its spacing; none of that depends on the
    // font's size.
    QStyleOptionButton opt;
    opt.initFrom(button);
    opt.text = button->text();
    opt.icon = button->icon();
    opt.iconSize = button->iconSize();
    const QRect contents = button->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, button);
    const int room = contents.width() - (button->icon().isNull() ? 0 : button->iconSize().width() + 4);
    const int px = largestFittingPixelSize(natural, floorPixelSize, [&](int candidate) {
        QFont f = button->font();
        f.setPixelSize(candidate);
        return textWidth(f, button->text()) <= room;
    });
    const QString sheet = px == natural ? QString() : QStringLiteral("font-size: %1px;").arg(px);
    if (button->styleSheet() != sheet)
        button->setStyleSheet(sheet);
}

ButtonTextFitter::ButtonTextFitter(QWidget *container) : QObject(container), m_container(container)
{
    container->installEventFilter(this);
    for (QAbstractButton *b : container->findChildren<QAbstractButton *>())
        b->installEventFilter(this);
}

bool ButtonTextFitter::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type t = event->type();
    if ((watched == m_container && (t == QEvent::LayoutRequest || t == QEvent::Show)) || t == QEvent::Resize)
        fitAll();
    return QObject::eventFilter(watched, event);
}

void ButtonTextFitter::fitAll()
{
    for (QAbstractButton *b : m_container->findChildren<QAbstractButton *>())
        fitButtonText(b);
}
