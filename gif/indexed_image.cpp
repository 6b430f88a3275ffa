#include "gif/indexed_image.h"

#include <new>
#include <stdexcept>

#include "framework/error.h"

namespace tessory {

IndexedImage AllocateIndexedImage(int width, int height, std::size_t paletteSize) {
  IndexedImage image;
  image.width = width;
  image.height = height;
  try {
    image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    image.palette.resize(paletteSize);
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory("Failed to allocate memory for GIF DIB");
  } catch (const std::length_error&) {
    throw EOutOfMemory("Failed to allocate memory for GIF DIB");
  }
  return image;
}

}  // namespace tessory
