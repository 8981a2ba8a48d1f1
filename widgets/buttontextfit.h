#pragma once
// A button whose text is wider than the button (a long English word on the
// 800x600 model, a pile type beside its code) first takes a second line,
// broken between two words, and only then a smaller font until it fits,
// never below a floor; a text that fits keeps the font the style sheets
// give it and its one line.

#include <QObject>
#include <QString>
#include <functional>

class QAbstractButton;

// Largest pixel size from `preferred` down to `floor` for which `fits`
// holds; `floor` when none does. Plain, so the search is tested alone.
template <typename Fits>
int largestFittingPixelSize(int preferred, int floor, Fits fits)
{
    for (int px = preferred; px > floor; --px)
        if (fits(px))
            return px;
    return floor;
}

// `text` on two lines, broken at the space that leaves the narrowest
// widest line as `width` measures a line ("JGJ 94" over "抗拔、抗水平力桩");
// the text as it is when it has no space or lines of its own already.
QString breakInTwo(const QString &text, const std::function<int(const QString &)> &width);

// Fits the text of `button` to its contents (icon and padding taken off):
// on one line if it fits, else on two, else smaller. The text is the one
// the button was given; the button shows it broken (wholeButtonText gives
// it back). Changes the button's style sheet only when the size it needs
// changes.
void fitButtonText(QAbstractButton *button, int floorPixelSize = 11);

// The text the button was given, before any line break the fitting added.
QString wholeButtonText(const QAbstractButton *button);

// Keeps every button inside `container` fitted: after a resize and after a
// text change (which asks the container for a new layout).
class ButtonTextFitter : public QObject
{
    Q_OBJECT
public:
    explicit ButtonTextFitter(QWidget *container);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fitAll();
    QWidget *m_container;
};
