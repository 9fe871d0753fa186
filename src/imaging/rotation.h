// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Turning a picture upright: quarter turns and mirrors on plain pixel buffers.
#include "imaging/pixels.h"

namespace varlime {

// A quarter turn in place: clockwise for 90, counter-clockwise for any other angle.
// Width and height are swapped.
void Bmprot90(Pixels& image, int angle);

// Shows a picture upright from its EXIF orientation value (1 to 8): 6 turns
// clockwise, 8 counter-clockwise, 3 a half turn, 2 and 4 mirror, 5 and 7 (stored
// across a diagonal) mirror and turn. Any other value leaves the picture as stored, and so
// does a picture the imaging library already stood upright.
void redresser(Pixels& image, int orientation);

// The quarter turn the orientation asks for: 90, 270 or 0 (for the window sizes).
int angleOrientation(int orientation);

// A copy `largeur` pixels wide keeping the picture's own proportions (its height
// rounded once from them, at least 1 pixel); each pixel the mean of the pixels it
// covers when shrinking. Empty when the copy would be beyond the budget.
Pixels redimensionner(const Pixels& image, int largeur);
// The same to a size the caller worked out from the picture's own proportions.
Pixels redimensionnerA(const Pixels& image, Taille taille);

} // namespace varlime
