// The glyphs of the options dialog's flat buttons, drawn to any size: a
// folder (the folder and sound-file browsers) and a play triangle (the
// sound preview), in colour when enabled and grey when not.
#pragma once

#include <windows.h>

namespace tessory {

enum class Glyph { Folder, Play };

void PaintGlyphButton(HDC dc, const RECT& bounds, Glyph glyph, bool enabled, int dpi);

}  // namespace tessory
