#include "support/temp_dir.h"

#include <atomic>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "framework/utf8.h"

namespace tessory::test {

namespace fs = std::filesystem;

namespace {

std::string TextOf(const fs::path& path) {
#ifdef _WIN32
  return Narrow(path.wstring());
#else
  return path.string();
#endif
}

}  // namespace

fs::path PathOf(const std::string& path) {
#ifdef _WIN32
  return fs::path(Widen(path));
#else
  return fs::path(path);
#endif
}

TempDir::TempDir() {
  static std::atomic<int> serial{0};
  const fs::path base = fs::temp_directory_path();
  for (int attempt = 0;; ++attempt) {
    const fs::path dir = base / ("tessory-test-" + std::to_string(std::random_device{}()) + "-" +
                                 std::to_string(serial++));
    if (fs::create_directory(dir)) {
      path_ = TextOf(dir) + static_cast<char>(fs::path::preferred_separator);
      return;
    }
    if (attempt > 100) throw std::runtime_error("cannot create a temporary folder");
  }
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(PathOf(path_), ignored);
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(PathOf(path), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(PathOf(path), std::ios::binary);
  out << bytes;
}

}  // namespace tessory::test
