// The texts the HTML Help viewer composes for the help control and the
// help manager.
#pragma once

#include <string>
#include <string_view>

namespace tessory {

// The viewer's name, as the help manager lists it.
inline constexpr char kHtmlHelpViewerName[] = "HtmlHelp";

// The address of a topic inside a compiled help file:
// "<file> ::/<topic>.htm".
std::string HelpTopicAddress(std::string_view helpFile, std::string_view topic);

// The one line the viewer offers for a keyword: "HtmlHelp: <keyword>".
std::string HelpKeywordLine(std::string_view keyword);

}  // namespace tessory
