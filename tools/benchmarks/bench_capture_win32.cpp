// The stages of one capture, timed in-process on Windows (or Wine): the
// grab of a window, encoding the image, writing the file and the capture
// sound, for each file type. A benchmark, run by hand; see
// capture_latency.py for the same capture driven from outside.
//
//   tessory_bench_capture.exe [--runs N] [--folder DIR] [--wav FILE]
//
// It opens a window of 1280 x 960 pixels (frame included) painted like an
// application's window: panels, lists of text, buttons and a gradient. The
// types take turns, one capture each per round; each figure is the median
// of N rounds (default 7), in milliseconds, printed as a Markdown table.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "delivery/delivery_platform_win32.h"
#include "capture/window_grab_win32.h"
#include "framework/handles_win32.h"
#include "framework/utf8.h"
#include "gif/gif_image.h"
#include "imaging/bmp_writer.h"
#include "imaging/jpeg_image.h"
#include "imaging/output_file.h"
#include "imaging/pixel_formats.h"
#include "imaging/png_writer.h"

namespace tessory {
namespace {

constexpr int kWidth = 1280, kHeight = 960;

void PaintContent(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  auto fill = [&](RECT r, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
  };
  fill(client, RGB(250, 250, 250));
  fill({0, 0, 260, client.bottom}, RGB(236, 239, 244));
  for (int y = 0; y < 120; ++y) fill({280, 40 + y, client.right - 20, 41 + y}, RGB(60 + y, 110 + y / 2, 200 - y));
  SetBkMode(dc, TRANSPARENT);
  wchar_t line[96];
  for (int row = 0; row < 34; ++row) {
    std::swprintf(line, 96, L"Item %02d  folder/name-%d.txt   %d KB   modified 2026-12-%02d", row, row * 37,
                  row * 13 + 4, row % 28 + 1);
    TextOutW(dc, 12, 10 + row * 22, line, static_cast<int>(std::wcslen(line)));
    TextOutW(dc, 290, 180 + row * 20, line, static_cast<int>(std::wcslen(line)));
  }
  for (int i = 0; i < 6; ++i)
    fill({300 + i * 150, client.bottom - 60, 420 + i * 150, client.bottom - 28}, RGB(0, 120, 215));
  EndPaint(window, &paint);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PaintContent(window);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND OpenTarget() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = L"TessoryBenchTarget";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Tessory Capture Benchmark", WS_OVERLAPPEDWINDOW, 0, 0,
                                kWidth, kHeight, nullptr, nullptr, windowClass.hInstance, nullptr);
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  return window;
}

void PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

double NowMs() {
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

struct Stages {
  std::vector<double> grab, encode, write, sound, total;
};

// Collects what a writer writes, for the file to be written apart.
class BytesSink final : public ByteSink {
 public:
  void Write(std::span<const std::uint8_t> bytes) override { bytes_.insert(bytes_.end(), bytes.begin(), bytes.end()); }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

// One file type: encodes the capture into memory, for the bytes to be
// written to a file apart.
struct FileType {
  const char* name;
  std::function<std::vector<std::uint8_t>(CaptureImage&, Win32DeliveryPlatform&)> encode;
};

std::vector<FileType> FileTypes() {
  auto bmp = [](int depth) {
    return [depth](CaptureImage& image, Win32DeliveryPlatform& platform) {
      ConvertPixelDepth(image, depth, platform.HalftonePalette());
      BytesSink sink;
      WriteBmp(image, sink);
      return sink.Take();
    };
  };
  return {
      {"BMP 24-bit", bmp(24)},
      {"BMP 8-bit", bmp(8)},
      {"JPEG q90",
       [](CaptureImage& image, Win32DeliveryPlatform&) {
         TJPEGImage jpeg;
         jpeg.SetQuality(90);
         jpeg.AssignBitmap(image);
         jpeg.CompressJpeg();
         const auto data = jpeg.EncodedData();
         return std::vector<std::uint8_t>(data.begin(), data.end());
       }},
      {"GIF",
       [](CaptureImage& image, Win32DeliveryPlatform&) {
         BytesSink sink;
         WriteCaptureGif(image, sink);
         return sink.Take();
       }},
      {"PNG",
       [](CaptureImage& image, Win32DeliveryPlatform&) {
         BytesSink sink;
         WritePng(sink, image, clNone);
         return sink.Take();
       }},
  };
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  const std::unique_ptr<OutputFile> file = OutputFile::Replace(path);
  file->Write(bytes);
  file->Commit();
}

int Run(int runs, const std::string& folder, const std::string& wav) {
  const UniqueHwnd target(OpenTarget());
  for (int i = 0; i < 20; ++i) PumpMessages(), Sleep(25);
  Win32DeliveryPlatform platform(
      nullptr, [] { return std::optional<ImageKind>(); }, [](const ClipboardContent&) {}, [](const std::string&) {});
  const std::vector<FileType> types = FileTypes();
  std::vector<Stages> stages(types.size());
  for (int round = 0; round < runs; ++round) {
    for (std::size_t t = 0; t < types.size(); ++t) {
      const std::string path = folder + "\\bench-capture-" + std::to_string(t) + ".out";
      PumpMessages();
      const double start = NowMs();
      CaptureImage image = GrabWindowImage(target.get());
      const double grabbed = NowMs();
      const std::vector<std::uint8_t> bytes = types[t].encode(image, platform);
      const double encoded = NowMs();
      WriteBytes(path, bytes);
      const double written = NowMs();
      if (wav.empty()) {
        platform.Beep();
      } else {
        platform.PlaySoundFile(wav);
      }
      const double sounded = NowMs();
      Stages& s = stages[t];
      s.grab.push_back(grabbed - start), s.encode.push_back(encoded - grabbed), s.write.push_back(written - encoded);
      s.sound.push_back(sounded - written), s.total.push_back(sounded - start);
    }
  }
  std::printf("| type | grab | encode | write | sound | total |\n|---|---|---|---|---|---|\n");
  for (std::size_t t = 0; t < types.size(); ++t) {
    const Stages& s = stages[t];
    std::printf("| %s | %.1f | %.1f | %.1f | %.1f | %.1f |\n", types[t].name, Median(s.grab), Median(s.encode),
                Median(s.write), Median(s.sound), Median(s.total));
  }
  return 0;
}

}  // namespace
}  // namespace tessory

int wmain(int argc, wchar_t** argv) {
  int runs = 7;
  std::string folder = ".", wav;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::wstring option = argv[i];
    if (option == L"--runs") runs = std::max(1, _wtoi(argv[i + 1]));
    if (option == L"--folder") folder = tessory::Narrow(argv[i + 1]);
    if (option == L"--wav") wav = tessory::Narrow(argv[i + 1]);
  }
  try {
    return tessory::Run(runs, folder, wav);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
}
