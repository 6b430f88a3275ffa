// Fitting a form's layout to the font its window really got: captions
// wider than their place take the room they need, containers grow to hold
// what they contain, and rows keep their distance from the right edge.
#include <algorithm>

#include "framework/form_win32.h"
#include "framework/handles_win32.h"

namespace tessory {
namespace {

bool HasClass(HWND window, const wchar_t* name) {
  wchar_t windowClass[16];
  return GetClassNameW(window, windowClass, 16) && lstrcmpiW(windowClass, name) == 0;
}

bool IsButton(HWND window) {
  return HasClass(window, L"Button");
}
bool IsStatic(HWND window) {
  return HasClass(window, L"Static");
}

}  // namespace

void Form::FitCaptions(std::vector<int> captions, std::vector<int> partners, std::vector<int> yielding) {
  fitRules_.push_back({false, std::move(captions), std::move(partners), std::move(yielding)});
  FitLayout();
  SetClientSize(clientWidth_, clientHeight_);
}

void Form::FitContainer(int container, std::vector<int> partners) {
  fitRules_.push_back({true, {container}, std::move(partners), {}});
  FitLayout();
  SetClientSize(clientWidth_, clientHeight_);
}

void Form::KeepAtRightEdge(std::vector<int> stretched, std::vector<int> moved) {
  rightEdgeRules_.push_back({std::move(stretched), std::move(moved)});
  FitLayout();
  SetClientSize(clientWidth_, clientHeight_);
}

Form::Layout* Form::LayoutOf(int id) {
  HWND control = Control(id);
  for (Layout& item : layout_) {
    if (item.control == control) return &item;
  }
  return nullptr;
}

// How much wider, in 96-DPI pixels, the control must be to show its whole
// caption in the font it really has.
int Form::CaptionShortfall(const Layout& item) const {
  const int length = GetWindowTextLengthW(item.control);
  if (length == 0) return 0;
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(item.control, text.data(), length + 1)));
  SIZE extent{};
  {
    WindowDc dc(item.control, GetDC(item.control));
    SelectedObject font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(item.control, WM_GETFONT, 0, 0)));
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
  }
  // Beside the text: the box of a check box or radio button and its gap,
  // the indent of a group box's caption, a push button's frame.
  int padding = 1;
  if (IsButton(item.control)) {
    switch (GetWindowLongPtrW(item.control, GWL_STYLE) & BS_TYPEMASK) {
      case BS_CHECKBOX:
      case BS_AUTOCHECKBOX:
      case BS_3STATE:
      case BS_AUTO3STATE:
      case BS_RADIOBUTTON:
      case BS_AUTORADIOBUTTON: padding = 19; break;
      case BS_GROUPBOX: padding = 20; break;
      default: padding = 8;
    }
  }
  const int needed = extent.cx + Scale(padding);
  const int width = item.width + item.fitGrowth;
  int shortfall = 0;
  while (Scale(width + shortfall) < needed) ++shortfall;
  return shortfall;
}

void Form::ShiftPartners(const std::vector<int>& partners, int pixels) {
  for (int id : partners) {
    if (Layout* partner = LayoutOf(id)) partner->fitShift += pixels;
  }
}

void Form::ApplyFitRule(const FitRule& rule) {
  if (!rule.container) {
    int shortfall = 0;
    for (int id : rule.controls) {
      if (const Layout* caption = LayoutOf(id)) shortfall = std::max(shortfall, CaptionShortfall(*caption));
    }
    if (shortfall == 0) return;
    for (int id : rule.controls) {
      Layout* caption = LayoutOf(id);
      if (!caption) continue;
      caption->fitGrowth += shortfall;
      // Centred text keeps its centre.
      if ((GetWindowLongPtrW(caption->control, GWL_STYLE) & SS_TYPEMASK) == SS_CENTER && IsStatic(caption->control)) {
        caption->fitShift -= shortfall / 2;
      }
    }
    ShiftPartners(rule.partners, shortfall);
    for (int id : rule.yielding) {
      if (Layout* item = LayoutOf(id)) {
        item->fitShift += shortfall;
        item->fitGrowth -= shortfall;
      }
    }
    return;
  }
  Layout* box = LayoutOf(rule.controls.front());
  if (!box) return;
  // Contents are the controls designed inside the container's rectangle.
  int designedReach = box->x, reach = box->x;
  for (const Layout& item : layout_) {
    const bool inside = &item != box && item.x >= box->x && item.y >= box->y &&
                        item.x + item.width <= box->x + box->width && item.y + item.height <= box->y + box->height;
    if (!inside) continue;
    designedReach = std::max(designedReach, item.x + item.width);
    reach = std::max(reach, item.x + item.fitShift + item.width + item.fitGrowth);
  }
  const int margin = box->x + box->width - designedReach;
  const int overflow = reach + margin - (box->x + box->fitShift + box->width + box->fitGrowth);
  if (overflow <= 0) return;
  box->fitGrowth += overflow;
  ShiftPartners(rule.partners, overflow);
}

// Lays the controls out again from their design, making room for captions
// as the fit rules say, and notes how much wider the layout became.
void Form::FitLayout() {
  for (Layout& item : layout_) item.fitShift = item.fitGrowth = 0;
  for (const FitRule& rule : fitRules_) ApplyFitRule(rule);
  int designedRight = 0, right = 0;
  for (const Layout& item : layout_) {
    designedRight = std::max(designedRight, item.x + item.width);
    right = std::max(right, item.x + item.fitShift + item.width + item.fitGrowth);
  }
  fitWidening_ = std::max(0, right - designedRight);
  for (const RightEdgeRule& rule : rightEdgeRules_) {
    int designedRowRight = 0, rowRight = 0;
    for (const std::vector<int>* ids : {&rule.stretched, &rule.moved}) {
      for (int id : *ids) {
        if (const Layout* item = LayoutOf(id)) {
          designedRowRight = std::max(designedRowRight, item->x + item->width);
          rowRight = std::max(rowRight, item->x + item->fitShift + item->width + item->fitGrowth);
        }
      }
    }
    const int gap = designedRowRight + fitWidening_ - rowRight;
    if (gap <= 0) continue;
    for (int id : rule.stretched) {
      if (Layout* item = LayoutOf(id)) item->fitGrowth += gap;
    }
    for (int id : rule.moved) {
      if (Layout* item = LayoutOf(id)) item->fitShift += gap;
    }
  }
  for (const Layout& item : layout_) PlaceControl(item);
}

}  // namespace tessory
