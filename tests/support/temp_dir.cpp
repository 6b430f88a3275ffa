#include "support/temp_dir.h"

#include <atomic>
#include <random>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "framework/utf8.h"

namespace tessory::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
  static std::atomic<int> serial{0};
  const fs::path base = fs::temp_directory_path();
  for (int attempt = 0;; ++attempt) {
    const fs::path dir = base / ("tessory-test-" + std::to_string(std::random_device{}()) + "-" +
                                 std::to_string(serial++));
    if (fs::create_directory(dir)) {
      path_ = Narrow(dir.wstring()) + static_cast<char>(fs::path::preferred_separator);
      return;
    }
    if (attempt > 100) throw std::runtime_error("cannot create a temporary folder");
  }
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(fs::path(Widen(path_)), ignored);
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(fs::path(Widen(path)), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(fs::path(Widen(path)), std::ios::binary);
  out << bytes;
}

}  // namespace tessory::test
