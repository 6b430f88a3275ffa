// The parts of a GIF file: the header with its logical screen and global
// colour map, and the frames with their image descriptors, local colour
// maps and pixel data.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "gif/color_map.h"
#include "gif/indexed_image.h"
#include "gif/overlapped_coder.h"
#include "imaging/byte_sink.h"
#include "imaging/capture_image.h"

namespace tessory {

class TGIFImage;

// GIF versions, oldest first.
enum class GifVersion { Unknown = 0, Gif87a = 1, Gif89a = 2 };

// How a frame made from a true-colour image is coded: Automatic uses a
// second thread when the machine has another core and the image is large
// enough to repay starting one.
enum class GifThreading { Automatic = 0, SingleThread = 1, SecondThread = 2 };

// A part of one image; it knows the image that owns it.
class TGIFItem {
 public:
  explicit TGIFItem(TGIFImage& image) : image_(&image) {}
  virtual ~TGIFItem() = default;
  TGIFItem(const TGIFItem&) = delete;
  TGIFItem& operator=(const TGIFItem&) = delete;

  virtual GifVersion Version() const { return GifVersion::Gif87a; }
  virtual void SaveToStream(ByteSink& stream) = 0;

 protected:
  TGIFImage& Image() const { return *image_; }

 private:
  TGIFImage* image_;
};

// The header: signature, version and logical screen descriptor.
class TGIFHeader final : public TGIFItem {
 public:
  using TGIFItem::TGIFItem;

  void Clear();
  // Writes "GIF", the image's version, the screen descriptor and the
  // global colour table if there is one. Fails with "Unsupported GIF
  // version" when the image has no frame.
  void SaveToStream(ByteSink& stream) override;

  // Widens the screen to at least width x height.
  void Widen(int width, int height);
  TGIFGlobalColorMap& ColorMap() { return colorMap_; }
  const TGIFGlobalColorMap& ColorMap() const { return colorMap_; }

 private:
  std::uint8_t PackedFields() const;

  std::uint16_t screenWidth_ = 0;
  std::uint16_t screenHeight_ = 0;
  std::uint8_t background_ = 0;
  std::uint8_t aspectRatio_ = 0;
  TGIFGlobalColorMap colorMap_;
};

// One frame.
class TGIFSubImage final : public TGIFItem {
 public:
  using TGIFItem::TGIFItem;

  void Clear();
  // Takes over `bitmap`: an 8-bit image is kept with its colour table,
  // any other is reduced to a palette with the image's settings (which
  // converts `bitmap` itself to 24 bits). Images wider or taller than
  // 65535 pixels raise GIFException before anything is changed.
  void AssignBitmap(CaptureImage& bitmap);

  GifVersion Version() const override;
  // Writes the image descriptor, the local colour table and the image
  // data; a frame without pixels writes nothing.
  void SaveToStream(ByteSink& stream) override;

  int Width() const { return width_; }
  int Height() const { return height_; }
  const TGIFLocalColorMap& ColorMap() const { return colorMap_; }
  // The pixel data: width * height indices, rows top to bottom.
  const PixelBuffer& Data() const { return bitmap_.pixels; }
  // The indexed image the frame was made from; its indices are the frame's
  // pixel data, held once.
  const IndexedImage& Bitmap() const { return bitmap_; }

 private:
  void SetSize(int width, int height);
  // Reduces a true-colour image into bitmap_, coding it on the side when
  // the image's threading says so.
  void Reduce(CaptureImage& bitmap);
  void ImportIndexed();
  std::uint8_t PackedFields() const;

  std::uint16_t left_ = 0;
  std::uint16_t top_ = 0;
  std::uint16_t width_ = 0;
  std::uint16_t height_ = 0;
  std::uint8_t packed_ = 0;
  TGIFLocalColorMap colorMap_;
  IndexedImage bitmap_;
  // The image data coded while the frame was made, if it was.
  std::optional<CodedFrame> coded_;
};

}  // namespace tessory
