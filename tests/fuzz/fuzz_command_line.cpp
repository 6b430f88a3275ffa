// The command line from whatever a script passes: every argument list is
// either acted on or refused with one CommandLineError, never a crash or
// another exception, and what is acted on stays inside its ranges.
#include <string>
#include <vector>

#include "app/command_line.h"
#include "fuzz/fuzz_support.h"

using namespace tessory;

namespace {

// The input's bytes after the first, cut into arguments at each NUL.
std::vector<std::string> Arguments(fuzz::InputBytes& input) {
  std::vector<std::string> args(1);
  for (const std::uint8_t byte : input.Rest()) {
    if (byte == 0)
      args.emplace_back();
    else
      args.back() += static_cast<char>(byte);
  }
  return args;
}

void CheckResolved(const ScriptCommand& command, const CaptureSettings& stored) {
  const ScriptDelivery d = ResolveDelivery(command, stored);
  FUZZ_CHECK(command.delaySeconds >= 0 && command.delaySeconds <= kMaxScriptDelay);
  if (d.to == Destination::Clipboard) {
    FUZZ_CHECK(AsSaveRoute(d.settings.SaveOption) == SaveRoute::CopyToClipboard);
    return;
  }
  FUZZ_CHECK(AsSaveRoute(d.settings.SaveOption) == SaveRoute::AutoSave);
  FUZZ_CHECK(FileFormatOf(d.settings.ImageType.Kind()) != nullptr);
  if (command.quality) FUZZ_CHECK(d.settings.ImageQuality >= 0 && d.settings.ImageQuality <= 100);
  if (command.bits) FUZZ_CHECK(d.settings.ImageQuality >= 1 && d.settings.ImageQuality <= 4);
  FUZZ_CHECK(d.to != Destination::File || !d.file.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::InputBytes input(data, size);
  CaptureSettings stored;
  stored.ImageType = ImageTypeValue::FromStored(static_cast<std::int8_t>(input.Next()));
  stored.ImageQuality = static_cast<std::int8_t>(input.Next());
  const std::vector<std::string> args = Arguments(input);
  try {
    const CommandLine line = ParseCommandLine(args);
    if (line.action == CommandLine::Action::Capture) CheckResolved(line.command, stored);
  } catch (const CommandLineError& error) {
    FUZZ_CHECK(error.what()[0] != '\0');
  }
  return 0;
}
