// The host keeps texts as the plug-in sees them, in Windows-1250; files and
// the terminal speak UTF-8.
#pragma once

#include <string>

namespace host {

// Throws HostError when text is not UTF-8 or has a character 1250 lacks.
std::string utf8ToCp1250(const std::string& text);
std::string cp1250ToUtf8(const std::string& text);
// For the wide calls (a path, say); a text that is not UTF-8 loses what is not.
std::wstring utf8ToWide(const std::string& text);

}  // namespace host
