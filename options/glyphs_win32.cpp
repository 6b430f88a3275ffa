#include "options/glyphs_win32.h"

#include <iterator>

#include "framework/dpi_win32.h"
#include "framework/handles_win32.h"

namespace tessory {
namespace {

// The glyphs are drawn on a 16 x 16 grid centred in the button.
struct Grid {
  int left, top, dpi;
  POINT At(int x, int y) const { return {left + ScaleToDpi(x, dpi), top + ScaleToDpi(y, dpi)}; }
};

void FillPolygon(HDC dc, const POINT* points, int count, COLORREF fill, COLORREF outline) {
  UniqueHbrush brush(CreateSolidBrush(fill));
  UniqueHandle<NullHandleTraits<HPEN, ::DeleteObject>> pen(CreatePen(PS_SOLID, 1, outline));
  SelectedObject selectedBrush(dc, brush.get());
  SelectedObject selectedPen(dc, pen.get());
  Polygon(dc, points, count);
}

void DrawFolder(HDC dc, const Grid& grid, bool enabled) {
  const POINT body[] = {grid.At(1, 4), grid.At(6, 4), grid.At(7, 5), grid.At(14, 5), grid.At(14, 13), grid.At(1, 13)};
  const COLORREF fill = enabled ? RGB(240, 200, 80) : GetSysColor(COLOR_BTNFACE);
  const COLORREF outline = enabled ? RGB(128, 96, 0) : GetSysColor(COLOR_GRAYTEXT);
  FillPolygon(dc, body, static_cast<int>(std::size(body)), fill, outline);
}

void DrawPlay(HDC dc, const Grid& grid, bool enabled) {
  const POINT triangle[] = {grid.At(4, 2), grid.At(13, 8), grid.At(4, 14)};
  const COLORREF fill = enabled ? RGB(40, 160, 60) : GetSysColor(COLOR_BTNFACE);
  const COLORREF outline = enabled ? RGB(0, 90, 20) : GetSysColor(COLOR_GRAYTEXT);
  FillPolygon(dc, triangle, static_cast<int>(std::size(triangle)), fill, outline);
}

}  // namespace

void PaintGlyphButton(HDC dc, const RECT& bounds, Glyph glyph, bool enabled, int dpi) {
  RECT area = bounds;
  FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
  const int size = ScaleToDpi(16, dpi);
  const Grid grid{(bounds.left + bounds.right - size) / 2, (bounds.top + bounds.bottom - size) / 2, dpi};
  if (glyph == Glyph::Folder) {
    DrawFolder(dc, grid, enabled);
  } else {
    DrawPlay(dc, grid, enabled);
  }
}

}  // namespace tessory
