#pragma once
// A button whose text is wider than the button (a long English word on the
// 800x600 model) gets a smaller font until it fits, never below a floor;
// a text that fits keeps the font the style sheets give it.

#include <QObject>

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

// Shrinks the text of `button` to its width (icon and padding included).
// Changes the button's style sheet only when the size it needs changes.
void fitButtonText(QAbstractButton *button, int floorPixelSize = 11);

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
