// The options dialog's rules that need no window: the quality slider's
// scale for each image type, when the slider is enabled, how stored values
// are clamped into the controls, and the about area's texts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/settings.h"

namespace tessory {

struct QualityScale {
  int minimum, maximum, lineSize, pageSize, tickFrequency, position;
};

// Colour depth index 1-4 for bitmaps, quality 10-100 in steps of ten for
// JPEG; no scale of its own (the slider stays as it is) for other types,
// or when no type is selected.
std::optional<QualityScale> QualityScaleFor(std::optional<ImageKind> imageType);

// The slider is used only for the types it has a scale for, and only when
// the capture does not go to the clipboard (no method selected counts as
// a file route).
bool QualitySliderEnabled(std::optional<ImageKind> imageType, std::optional<SaveRoute> saveOption);

// A radio group's index for a stored value: above the last item the last
// item, below 0 none (-1).
int ClampItemIndex(std::int32_t index, int itemCount);

// A slider position inside [minimum, maximum].
int ClampPosition(std::int32_t position, int minimum, int maximum);

// Why the base file name cannot name a file: the message naming the
// characters no file name may hold; none when it can.
std::optional<std::string> BaseNameProblem(std::string_view baseName);

// The about area's year-and-maker line.
std::string CopyrightText(int year);

// The maker's web address, shown in the about area and opened on a click.
inline constexpr char kMakerWebAddress[] = "https://www.example.com/tessory/";

// Where a window of `width` x `height` goes to be centred on a screen of
// `screenWidth` x `screenHeight`: halves truncated toward zero, so a
// window larger than the screen gets negative coordinates.
struct CentredOrigin {
  int x, y;
  bool operator==(const CentredOrigin&) const = default;
};
CentredOrigin CentreOnScreen(int screenWidth, int screenHeight, int width, int height);

}  // namespace tessory
