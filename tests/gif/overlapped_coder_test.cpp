#include "gif/overlapped_coder.h"

#include <gtest/gtest.h>

#include <thread>

#include "gif/gif_error.h"
#include "gif/gif_image.h"
#include "gif/gif_test_support.h"
#include "gif/lzw_encoder.h"

namespace tessory {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::Rgb;

// Flat bands with runs that cross row ends, beside noise: the LZW coder's
// run steps and table restarts both meet the block boundaries.
Rgb BandsAndNoise(int x, int y) {
  if (x < 300) return y / 7 % 2 ? Rgb{30, 60, 90} : Rgb{200, 200, 200};
  return test::Pattern(x, y);
}

Bytes WriteWith(GifThreading threading, CaptureImage capture) {
  return test::GifBytes(capture, 8, threading);
}

TEST(OverlappedCoder, SecondThreadWritesTheSingleThreadBytes) {
  // 700 x 300: rows of 700 pixels are handed over in blocks of 94 rows,
  // the last block short.
  const CaptureImage capture = test::MakeImage24(700, 300, BandsAndNoise);
  const Bytes single = WriteWith(GifThreading::SingleThread, capture);
  EXPECT_EQ(WriteWith(GifThreading::SecondThread, capture), single);
  EXPECT_EQ(WriteWith(GifThreading::Automatic, capture), single);
}

// The encoder coding rows as another thread publishes them, one row at a
// time, gives the codes of one pass over the finished pixels.
TEST(OverlappedCoder, RowsCodedAsTheyArePublishedGiveOnePassCodes) {
  const int width = 97, height = 61;
  Bytes pixels(static_cast<std::size_t>(width) * height);
  test::Lcg lcg(5);
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = i % 300 < 200 ? 7 : lcg.Byte() % 4;
  VectorSink whole;
  TLZWEncoder().EncodeFrame(whole, 8, width, height, pixels, 256);

  RowProgress progress;
  VectorSink inPieces;
  std::thread coder([&] { TLZWEncoder().EncodeFrame(inPieces, 8, width, height, pixels, 256, &progress); });
  for (int rows = 1; rows <= height; ++rows) progress.Publish(rows);
  coder.join();
  EXPECT_EQ(inPieces.Bytes(), whole.Bytes());
}

IndexedImage TwoColourImage(int width, int height, std::uint8_t pixel) {
  IndexedImage image;
  image.width = width;
  image.height = height;
  image.pixels.assign(static_cast<std::size_t>(width) * height, pixel);
  image.palette = {{0, 0, 0}, {255, 255, 255}};
  return image;
}

TEST(OverlappedCoder, TheThreadsFailureReachesTheCallerAsRaised) {
  const IndexedImage image = TwoColourImage(40, 10, 3);  // index 3 of a 2-colour table
  OverlappedLzwCoder coder;
  coder.PaletteReady(image);
  for (int rows = 1; rows <= image.height; ++rows) coder.RowsFinal(rows);
  try {
    coder.Finish();
    FAIL() << "no error";
  } catch (const GIFException& e) {
    EXPECT_STREQ(e.what(), "Color not in color table");
  }
}

// A reduction that stops halfway leaves a coder waiting for rows that
// never come; leaving the scope releases and joins it.
TEST(OverlappedCoder, AnUnfinishedReductionStopsTheThread) {
  const IndexedImage image = TwoColourImage(40, 10, 1);
  {
    OverlappedLzwCoder coder;
    coder.PaletteReady(image);
    coder.RowsFinal(3);
  }
  OverlappedLzwCoder coder;
  coder.PaletteReady(image);
  for (int rows = 1; rows <= image.height; ++rows) coder.RowsFinal(rows);
  const std::optional<CodedFrame> coded = coder.Finish();
  ASSERT_TRUE(coded.has_value());
  VectorSink direct;
  TLZWEncoder().EncodeFrame(direct, 1, image.width, image.height, image.pixels, 2);
  EXPECT_EQ(Bytes(coded->data.begin(), coded->data.end()), direct.Bytes());
  EXPECT_EQ(coded->bitsPerPixel, 1);
}

}  // namespace
}  // namespace tessory
