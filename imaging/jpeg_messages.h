// Message texts of the JPEG writer.
#pragma once

#include <string_view>

namespace tessory::jconsts {

// A fatal error of the JPEG library, with its message code for %d.
inline constexpr std::string_view kJpegErrorText = "JPEG error #%d";

}  // namespace tessory::jconsts
