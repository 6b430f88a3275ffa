// The clipboard's data blocks, each in global memory ready for
// SetClipboardData: the image as a packed DIB and as PNG bytes, a file
// list as Explorer places it, and text.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/handles_win32.h"
#include "imaging/capture_image.h"

namespace tessory {

// The registered format other programs know PNG images by.
inline constexpr wchar_t kPngFormatName[] = L"PNG";
// The registered format that tells Explorer whether a pasted file list is
// copied or moved.
inline constexpr wchar_t kDropEffectFormatName[] = L"Preferred DropEffect";

// `image` as a CF_DIB block: a BITMAPINFOHEADER and 24-bit rows, bottom
// row first.
UniqueHglobal DibBlockOf(const CaptureImage& image);
// `image` as the bytes of a PNG file.
UniqueHglobal PngBlockOf(const CaptureImage& image);
// `files` as a CF_HDROP block (DROPFILES with wide paths).
UniqueHglobal FileDropBlockOf(const std::vector<std::string>& files);
// The drop effect "copy" for the "Preferred DropEffect" format.
UniqueHglobal CopyDropEffectBlock();
// `text` as a CF_UNICODETEXT block.
UniqueHglobal TextBlockOf(const std::string& text);

}  // namespace tessory
