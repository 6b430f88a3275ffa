// The PNG and JPEG writers on the corpus. Each writer is timed beside its
// library alone on the same pixels, already in the library's own layout
// (red-first rows, top row first), so the writers' own cost shows as the
// difference:
//   WritePngFile      vs LibpngDefaults  (both to a file, libpng defaults)
//   CompressJpeg      vs LibjpegAlone    (both to memory, same settings)
//   WriteJpegFile                        (CompressJpeg plus the file write)
// ReadInputImage times the encoder tool's own input stage (reading the
// PPM), which its whole-process figures include beside the writer.
// DeflateParts/N compresses the PNG writer's filtered rows in N parts on N
// threads (the stream's size as a counter); FindFinalBlock walks the blocks
// of the rows compressed in one call, as every part but the last is walked.
#include <benchmark/benchmark.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <filesystem>

#include "corpus.h"
#include "imaging/deflate_blocks.h"
#include "imaging/jpeg_image.h"
#include "imaging/png_deflate.h"
#include "imaging/png_filter.h"
#include "imaging/png_writer.h"
#include "tools/file_io.h"
#include "tools/image_input.h"
#include "tools/jpeg_reference.h"
#include "tools/png_file.h"

namespace tessory::bench {
namespace {

std::string TempFile(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

// The corpus image as red-first rows, top row first, packed.
std::vector<std::uint8_t> RgbTopDown(const CaptureImage& image) {
  const std::size_t width = static_cast<std::size_t>(image.Width()), height = static_cast<std::size_t>(image.Height());
  std::vector<std::uint8_t> rgb(width * height * 3);
  for (std::size_t y = 0; y < height; ++y) {
    const std::uint8_t* s = image.Rows().data() + (height - 1 - y) * image.Stride();
    std::uint8_t* d = rgb.data() + y * width * 3;
    for (std::size_t x = 0; x < width; ++x)
      d[3 * x] = s[3 * x + 2], d[3 * x + 1] = s[3 * x + 1], d[3 * x + 2] = s[3 * x];
  }
  return rgb;
}

void BM_WritePngFile(benchmark::State& state, const std::string& name) {
  const CaptureImage& image = CorpusImage(name);
  const std::string path = TempFile("tessory-bench.png");
  for (auto _ : state) WritePngFile(path, image, clNone);
  state.SetItemsProcessed(state.iterations() * image.Width() * image.Height());
  RemoveFile(path);
}

// libpng with its defaults, given ready rows: the floor for WritePngFile.
bool LibpngWrite(std::FILE* file, std::uint32_t width, std::uint32_t height, png_bytepp rows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool written = false;
  if (info && !setjmp(png_jmpbuf(png))) {
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
                 PNG_FILTER_TYPE_BASE);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, info);
    written = true;
  }
  png_destroy_write_struct(&png, &info);
  return written;
}

void BM_LibpngDefaults(benchmark::State& state, const std::string& name) {
  const CaptureImage& image = CorpusImage(name);
  std::vector<std::uint8_t> rgb = RgbTopDown(image);
  std::vector<png_bytep> rows(static_cast<std::size_t>(image.Height()));
  for (std::size_t y = 0; y < rows.size(); ++y) rows[y] = rgb.data() + y * static_cast<std::size_t>(image.Width()) * 3;
  const std::string path = TempFile("tessory-bench-libpng.png");
  for (auto _ : state) {
    UniqueFile file(std::fopen(path.c_str(), "wb"));
    if (!LibpngWrite(file.get(), image.Width(), image.Height(), rows.data())) state.SkipWithError("libpng failed");
  }
  state.SetItemsProcessed(state.iterations() * image.Width() * image.Height());
  RemoveFile(path);
}

void BM_CompressJpeg(benchmark::State& state, const std::string& name) {
  const CaptureImage& image = CorpusImage(name);
  for (auto _ : state) {
    TJPEGImage jpeg;
    jpeg.AssignBitmap(image);
    jpeg.CompressJpeg();
    benchmark::DoNotOptimize(jpeg.EncodedData().data());
  }
  state.SetItemsProcessed(state.iterations() * image.Width() * image.Height());
}

void BM_WriteJpegFile(benchmark::State& state, const std::string& name) {
  const CaptureImage& image = CorpusImage(name);
  const std::string path = TempFile("tessory-bench.jpg");
  for (auto _ : state) {
    TJPEGImage jpeg;
    jpeg.AssignBitmap(image);
    jpeg.WriteJpegFile(path);
  }
  state.SetItemsProcessed(state.iterations() * image.Width() * image.Height());
  RemoveFile(path);
}

void BM_LibjpegAlone(benchmark::State& state, const std::string& name) {
  const CaptureImage& image = CorpusImage(name);
  const std::vector<std::uint8_t> rgb = RgbTopDown(image);
  const JpegReferenceSettings settings{TJPEGImage::kDefaultQuality};
  for (auto _ : state) benchmark::DoNotOptimize(ReferenceJpeg(rgb, image.Width(), image.Height(), settings).data());
  state.SetItemsProcessed(state.iterations() * image.Width() * image.Height());
}

void BM_ReadInputImage(benchmark::State& state, const std::string& name) {
  const std::string path = CorpusFolder() + "/" + name + ".ppm";
  for (auto _ : state) benchmark::DoNotOptimize(ReadInputImage(path).Rows().data());
  state.SetItemsProcessed(state.iterations() * CorpusImage(name).Width() * CorpusImage(name).Height());
}

// The level the PNG writer deflates large pictures at.
constexpr int kLargePictureLevel = 6;

// The corpus image's rows as the PNG writer filters them.
std::vector<std::uint8_t> FilteredCorpusRows(const std::string& name) {
  const CaptureImage& image = CorpusImage(name);
  const PngSourceRows source{image.Rows().data(), image.Width(), image.Height(), image.Stride()};
  std::vector<std::uint8_t> rows(FilteredRowsSize(image.Width(), image.Height(), 3));
  FilterRows(source, 0, image.Height(), std::nullopt, rows);
  return rows;
}

void BM_DeflateParts(benchmark::State& state, const std::string& name) {
  const std::vector<std::uint8_t> rows = FilteredCorpusRows(name);
  PngWorkspace workspace;
  std::size_t bytes = 0;
  for (auto _ : state)
    bytes = workspace.CompressZlibInParts(rows, kLargePictureLevel, static_cast<std::size_t>(state.range(0))).size();
  state.counters["bytes"] = static_cast<double>(bytes);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(rows.size()));
}

void BM_FindFinalBlock(benchmark::State& state, const std::string& name) {
  const std::vector<std::uint8_t> rows = FilteredCorpusRows(name);
  PngWorkspace workspace;
  const std::span<const std::uint8_t> stream = workspace.CompressZlibInParts(rows, kLargePictureLevel, 1);
  const std::span<const std::uint8_t> raw = stream.subspan(2, stream.size() - 6);  // less the zlib header and trailer
  for (auto _ : state) {
    if (!FindFinalBlock(raw)) state.SkipWithError("blocks not followed");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(raw.size()));
}

using Benchmark = void (*)(benchmark::State&, const std::string&);

const bool registered = [] {
  const std::pair<const char*, Benchmark> benchmarks[] = {
      {"WritePngFile", BM_WritePngFile},   {"LibpngDefaults", BM_LibpngDefaults}, {"CompressJpeg", BM_CompressJpeg},
      {"WriteJpegFile", BM_WriteJpegFile}, {"LibjpegAlone", BM_LibjpegAlone},     {"ReadInputImage", BM_ReadInputImage},
  };
  // Alternating by image keeps each writer next to its baseline in time,
  // which matters on a shared, noisy machine.
  for (const std::string& name : CorpusNames()) {
    for (const auto& [label, function] : benchmarks) {
      benchmark::RegisterBenchmark((std::string(label) + "/" + name).c_str(), function, name)
          ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark(("DeflateParts/" + name).c_str(), BM_DeflateParts, name)
        ->Arg(1)
        ->Arg(2)
        ->Arg(4)
        ->Arg(8)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark(("FindFinalBlock/" + name).c_str(), BM_FindFinalBlock, name)
        ->Unit(benchmark::kMillisecond);
  }
  return true;
}();

}  // namespace
}  // namespace tessory::bench

BENCHMARK_MAIN();
