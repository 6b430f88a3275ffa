// The image kinds an "Image Type" value names, and what each file format is
// called wherever the program names it: one table, read by the hint, the
// auto-save names, the save dialog, the format prompt and the encoder tool.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tessory {

// File format: what an "Image Type" value means.
enum class ImageKind : std::int32_t { Bitmap = 0, Jpeg = 1, Gif = 2, Png = 3, PromptAtSave = 4 };

struct FileFormat {
  ImageKind kind;
  std::string_view extension;    // of its files, with the dot
  std::string_view typeName;     // the encoder tool's --type
  std::string_view hintTag;      // in the tool window's hint, in brackets
  std::string_view promptLabel;  // its choice in the image-format prompt
  std::string_view saveFilter;   // the save dialog's "description|pattern"
};

// The four file formats, in the order of their ImageKind values.
inline constexpr std::array<FileFormat, 4> kFileFormats{{
    {ImageKind::Bitmap, ".bmp", "bmp", "BMP", "Windows Bitmap", "Bitmap Images (*.bmp)|*.bmp"},
    {ImageKind::Jpeg, ".jpg", "jpg", "JPG", "JPEG Image", "JPEG Images (*.jpg)|*.jpg"},
    {ImageKind::Gif, ".gif", "gif", "GIF", "GIF Image", "GIF Images (*.gif)|*.gif"},
    {ImageKind::Png, ".png", "png", "PNG", "PNG Image", "PNG Images (*.png)|*.png"},
}};

// The file format of `kind`; none for "Prompt at save" and for no kind.
inline const FileFormat* FileFormatOf(std::optional<ImageKind> kind) {
  for (const FileFormat& format : kFileFormats) {
    if (format.kind == kind) return &format;
  }
  return nullptr;
}

}  // namespace tessory
