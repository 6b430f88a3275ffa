// A frame's LZW image data coded on a second thread while the colour
// reduction is still making the frame's rows.
#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <span>
#include <vector>

#include "gif/color_reduction.h"
#include "gif/row_progress.h"
#include "imaging/kept_threads.h"
#include "imaging/pixel_buffer.h"
#include "imaging/byte_sink.h"

namespace tessory {

// The complete image data of one frame (minimum code size byte, data
// sub-blocks, block terminator) and the colour table it was coded for.
struct CodedFrame {
  int bitsPerPixel = 0;
  int colorCount = 0;
  PixelBuffer data;
};

// Watches a reduction and codes its rows as they become final, on a
// thread of its own, into memory. The codes are those the LZW encoder
// writes for the finished image: the rows are coded in order, each once.
//
//   OverlappedLzwCoder coder;
//   IndexedImage image = ReduceToPalette(source, 7, 1, 8, &coder);
//   std::optional<CodedFrame> coded = coder.Finish();
//
// The coding never outlives the object: leaving the scope early (the
// reduction failed) stops it and waits for it. The thread is one the
// process keeps.
class OverlappedLzwCoder final : public ReductionObserver {
 public:
  OverlappedLzwCoder() = default;
  OverlappedLzwCoder(const OverlappedLzwCoder&) = delete;
  OverlappedLzwCoder& operator=(const OverlappedLzwCoder&) = delete;
  ~OverlappedLzwCoder() override;

  // Starts the thread on the result's pixels. When no thread can be had,
  // nothing is coded and Finish() says so.
  void PaletteReady(const IndexedImage& result) override;
  void RowsFinal(int rows) noexcept override;

  // Waits for the thread after the reduction has returned. The frame's
  // image data, or nothing when no thread ran; the thread's own failure is
  // rethrown here as it was raised.
  std::optional<CodedFrame> Finish();

 private:
  // Rows are handed over in blocks of about this many pixels, so that the
  // thread is woken a few dozen times per frame, not once per row.
  static constexpr std::size_t kBlockPixels = std::size_t{1} << 16;

  void Code() noexcept;
  void Stop() noexcept;

  RowProgress progress_;
  KeptThreadTask thread_;
  std::span<const std::uint8_t> pixels_;
  CodedFrame coded_;
  std::exception_ptr failure_;
  int width_ = 0;
  int height_ = 0;
  int published_ = 0;
};

}  // namespace tessory
