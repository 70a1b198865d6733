#pragma once

class QWidget;

// Places a window with no owner across the screen it is on: centred in width, a little above
// the middle in height. Uses the frame geometry, in pixels.
void centerOnScreen(QWidget* form);

// Centres a window over its owner's frame; the window keeps its size.
void centerOnOwner(QWidget* window, QWidget* owner);
