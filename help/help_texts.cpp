#include "help/help_texts.h"

namespace tessory {

std::string HelpTopicAddress(std::string_view helpFile, std::string_view topic) {
  std::string address(helpFile);
  address += " ::/";
  address += topic;
  address += ".htm";
  return address;
}

std::string HelpKeywordLine(std::string_view keyword) {
  std::string line = kHtmlHelpViewerName;
  line += ": ";
  line += keyword;
  return line;
}

}  // namespace tessory
