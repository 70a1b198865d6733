#pragma once

class QWidget;

// The placement arithmetic, in the caller's units. On screen: top =
// halve(round(screenHeight * 0.85)) - halve(formHeight), left = halve(screenWidth) -
// halve(formWidth), halve truncating toward zero. Over the owner: centred, real division,
// halves rounded to even.
struct PlacedPoint {
    int x;
    int y;
};
PlacedPoint centerOnScreenPosition(int screenWidth, int screenHeight, int formWidth,
                                   int formHeight);
PlacedPoint centerOnOwnerPosition(int ownerLeft, int ownerTop, int ownerWidth, int ownerHeight,
                                  int width, int height);

// Places a window with no owner across the screen it is on: centred in width, a little above
// the middle in height. Uses the frame geometry, in pixels.
void centerOnScreen(QWidget* form);

// Centres a window over its owner's frame; the window keeps its size.
void centerOnOwner(QWidget* window, QWidget* owner);
