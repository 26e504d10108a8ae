#pragma once
// The two glyphs of the connect button, drawn in code so that no image files ship.
#include <QPixmap>

namespace orvel {

constexpr int kGlyphPx = 51;

// A USB plug in dark gray with a light outline on a transparent ground, marked with a
// tick (`open` true: port open) or a cross (port closed). kGlyphPx square.
QPixmap UsbPlugGlyph(bool open);

}  // namespace orvel
