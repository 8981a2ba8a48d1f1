#pragma once
// A button whose text is wider than the button (a long English word on the
// 800x600 model) gets a smaller font until it fits, never below a floor;
// a text that fits keeps the font the style sheets give it.

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
void fitButtonText(QAbstractButton *button, int floorPixelSize = 11);
