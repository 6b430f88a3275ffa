#include "corpus.h"

#include <cstdlib>
#include <map>

#include "tools/image_input.h"

namespace tessory::bench {

std::string CorpusFolder() {
  if (const char* folder = std::getenv("TESSORY_CORPUS")) return folder;
  return std::string(TESSORY_SOURCE_DIR) + "/../shared/corpus";
}

const std::vector<std::string>& CorpusNames() {
  static const std::vector<std::string> names = {"a-terminal-1280x800", "b-desktop-ui-1920x1080",
                                                 "c-photo-1920x1080", "d-docs-hidpi-3840x2160",
                                                 "e-dialog-320x200"};
  return names;
}

const CaptureImage& CorpusImage(const std::string& name) {
  static std::map<std::string, CaptureImage> cache;
  auto it = cache.find(name);
  if (it == cache.end()) it = cache.emplace(name, ReadInputImage(CorpusFolder() + "/" + name + ".ppm")).first;
  return it->second;
}

}  // namespace tessory::bench
