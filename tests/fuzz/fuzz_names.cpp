// File names built from outside text: a stored pattern, another program's
// window title and program name. Whatever they hold, the name is safe for
// a file (no forbidden or control character, no dot or space at its end),
// and fits the name and path limits exactly.
#include <string>

#include "delivery/name_pattern.h"
#include "framework/file_names.h"
#include "fuzz/fuzz_support.h"

using namespace tessory;

namespace {

std::string Text(fuzz::InputBytes& input) {
  std::string text;
  for (std::size_t length = input.Next() % 200; length > 0; --length) text += static_cast<char>(input.Next());
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InputBytes input(data, size);
  const std::size_t folderLength = input.Next() * 2u;
  NameFields fields;
  fields.base = Text(input);
  fields.window.title = Text(input);
  fields.window.process = ProgramNameOf(Text(input));
  const std::string pattern = Text(input);
  const std::string tail = input.Next() & 1 ? CopySuffix(input.Next()) + ".png" : ".png";
  const std::string number = Text(input);
  const std::string name = PatternFileName(pattern, fields, number, tail, folderLength, fields.base);

  FUZZ_CHECK(name.size() > tail.size() && name.ends_with(tail));
  const std::string stem = name.substr(0, name.size() - tail.size());
  FUZZ_CHECK(!HasForbiddenChars(stem));
  FUZZ_CHECK(stem.back() != '.' && stem.back() != ' ');
  if (folderLength + 16 < kMaxPathChars) {
    FUZZ_CHECK(Utf16Length(name) <= kMaxNameChars && folderLength + Utf16Length(name) <= kMaxPathChars);
  }
  return 0;
}
