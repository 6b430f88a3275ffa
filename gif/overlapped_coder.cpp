#include "gif/overlapped_coder.h"

#include "gif/color_map.h"
#include "gif/lzw_encoder.h"

namespace tessory {
namespace {

// Appends what is written to a vector that outlives the sink.
class AppendingSink final : public ByteSink {
 public:
  explicit AppendingSink(PixelBuffer& bytes) : bytes_(bytes) {}
  void Write(std::span<const std::uint8_t> bytes) override { bytes_.insert(bytes_.end(), bytes.begin(), bytes.end()); }

 private:
  PixelBuffer& bytes_;
};

}  // namespace

OverlappedLzwCoder::~OverlappedLzwCoder() {
  Stop();
}

void OverlappedLzwCoder::Stop() noexcept {
  if (!thread_.Started()) return;
  // Rows not yet published will never come: a waiting coder gives up.
  if (published_ < height_) progress_.Abandon();
  thread_.Wait();
}

void OverlappedLzwCoder::PaletteReady(const IndexedImage& result) {
  // The same colour table the frame writes, so the same code size.
  TGIFLocalColorMap map;
  map.Assign(result.palette);
  coded_.bitsPerPixel = map.BitsPerPixel();
  coded_.colorCount = map.Count();
  width_ = result.width;
  height_ = result.height;
  pixels_ = result.pixels;
  // Without a second thread the frame is coded when it is written.
  thread_.Start([this] { Code(); });
}

void OverlappedLzwCoder::RowsFinal(int rows) noexcept {
  if (!thread_.Started()) return;
  const std::size_t pending = static_cast<std::size_t>(rows - published_) * static_cast<std::size_t>(width_);
  if (rows < height_ && pending < kBlockPixels) return;
  published_ = rows;
  progress_.Publish(rows);
}

void OverlappedLzwCoder::Code() noexcept {
  try {
    // Room for one byte a pixel up front: more than most frames' codes
    // take, so the buffer seldom moves while it fills.
    coded_.data.reserve(pixels_.size());
    AppendingSink sink(coded_.data);
    TLZWEncoder encoder;
    encoder.EncodeFrame(sink, coded_.bitsPerPixel, width_, height_, pixels_, coded_.colorCount, &progress_);
  } catch (...) {
    failure_ = std::current_exception();
  }
}

std::optional<CodedFrame> OverlappedLzwCoder::Finish() {
  if (!thread_.Started()) return std::nullopt;
  Stop();
  if (failure_) std::rethrow_exception(failure_);
  return std::move(coded_);
}

}  // namespace tessory
