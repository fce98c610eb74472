// The window's own colours, whatever the desktop's theme.
#pragma once

#include <QPalette>

namespace quillbary {

// The light palette the window is drawn in: black text on the light window
// grey, white input fields, and the scroll-bar grey (Midlight) of the result
// fields, against which the window's red and blue were chosen. A dark desktop
// palette would put the blue figures on dark grey and white captions on the
// emblem; the window sets this one on itself instead.
QPalette LightPalette();

}  // namespace quillbary
