// The benchmark corpus: screenshot-like images of real window content.
#pragma once

#include <string>
#include <vector>

#include "imaging/capture_image.h"

namespace tessory::bench {

// The folder holding the corpus: $TESSORY_CORPUS, else ../shared/corpus
// beside the repository.
std::string CorpusFolder();

// Corpus image names without extension, e.g. "b-desktop-ui-1920x1080".
const std::vector<std::string>& CorpusNames();

// A 24-bit capture image of one corpus image (read once, then cached).
const CaptureImage& CorpusImage(const std::string& name);

}  // namespace tessory::bench
