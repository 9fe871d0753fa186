#pragma once
// Turning a picture upright: quarter turns and mirrors on plain pixel buffers.
#include "imaging/pixels.h"

namespace varlime {

// A quarter turn in place: clockwise for 90, counter-clockwise for any other angle.
// Width and height are swapped.
void Bmprot90(Pixels& image, int angle);

// Shows a picture upright from its EXIF orientation value (1 to 8): 6 turns
// clockwise, 8 counter-clockwise, 3 a half turn, 2 and 4 mirror, 5 and 7 (stored
// across a diagonal) mirror and turn. Any other value leaves the picture as stored.
void redresser(Pixels& image, int orientation);

// The quarter turn the orientation asks for: 90, 270 or 0 (for the window sizes).
int angleOrientation(int orientation);

// A copy `largeur` pixels wide keeping the proportions (at least 1 pixel high); each
// pixel the mean of the pixels it covers when shrinking.
Pixels redimensionner(const Pixels& image, int largeur);

} // namespace varlime
