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
// The text the button was given, and the broken form the fitting showed.
const char *const kWholeText = "zpvwWholeText";
const char *const kShownText = "zpvwShownText";

QSize textSize(const QFont &font, const QString &text)
{
    const QFontMetrics fm(font);
    const QStringList lines = text.split(QLatin1Char('\n'));
    int w = 0;
    for (const QString &line : lines)
        w = qMax(w, fm.horizontalAdvance(line));
    return QSize(w, fm.height() + (lines.size() - 1) * fm.lineSpacing());
}

int pixelSizeOf(const QFont &font) { return font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize(); }
} // namespace

QString breakInTwo(const QString &text, const std::function<int(const QString &)> &width)
{
    if (text.contains(QLatin1Char('\n')))
        return text;
    QString best = text;
    int bestWidth = -1;
    for (int at = text.indexOf(QLatin1Char(' ')); at >= 0; at = text.indexOf(QLatin1Char(' '), at + 1)) {
        const QString first = text.left(at).trimmed();
        const QString second = text.mid(at + 1).trimmed();
        if (first.isEmpty() || second.isEmpty())
            continue;
        const int widest = qMax(width(first), width(second));
        if (bestWidth < 0 || widest < bestWidth) {
            bestWidth = widest;
            best = first + QLatin1Char('\n') + second;
        }
    }
    return best;
}

QString wholeButtonText(const QAbstractButton *button)
{
    const QString shown = button->text();
    if (!shown.isEmpty() && shown == button->property(kShownText).toString())
        return button->property(kWholeText).toString();
    return shown;
}

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
    const QString whole = wholeButtonText(button);
    // The room for the text: the button's contents (its border and padding
    // taken off) less the icon and its spacing; none of that depends on the
    // font's size.
    QStyleOptionButton opt;
    opt.initFrom(button);
    opt.text = whole;
    opt.icon = button->icon();
    opt.iconSize = button->iconSize();
    QSize room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, button).size();
    if (!button->icon().isNull())
        room.rwidth() -= button->iconSize().width() + 4;
    // One line as given, else two: a real break before a smaller font.
    QString shown = whole;
    const int px = largestFittingPixelSize(natural, floorPixelSize, [&](int candidate) {
        QFont f = button->font();
        f.setPixelSize(candidate);
        const QFontMetrics fm(f);
        for (const QString &text :
             {whole, breakInTwo(whole, [&fm](const QString &line) { return fm.horizontalAdvance(line); })}) {
            const QSize need = textSize(f, text);
            if (need.width() <= room.width() && need.height() <= room.height()) {
                shown = text;
                return true;
            }
        }
        return false;
    });
    if (px == floorPixelSize) {
        QFont f = button->font();
        f.setPixelSize(px);
        const QFontMetrics fm(f);
        const QString two = breakInTwo(whole, [&fm](const QString &line) { return fm.horizontalAdvance(line); });
        if (textSize(f, two).height() <= room.height() && textSize(f, two).width() < textSize(f, whole).width())
            shown = two;
    }
    const QString sheet = px == natural ? QString() : QStringLiteral("font-size: %1px;").arg(px);
    if (button->styleSheet() != sheet)
        button->setStyleSheet(sheet);
    if (button->text() != shown) {
        button->setProperty(kWholeText, whole);
        button->setProperty(kShownText, shown);
        button->setText(shown);
    }
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
