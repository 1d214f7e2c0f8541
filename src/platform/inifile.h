#pragma once
#include <map>
#include <string>
#include <string_view>

namespace plat {

// section -> key -> value; keys before any section header sit in section "".
using IniSections = std::map<std::string, std::map<std::string, std::string>>;

// Reads "[section]" headers and "key=value" lines; anything else, and keys it could not write
// back, is skipped, so a damaged line costs only itself. strayLine, if given, gets the number
// (from 1) of the first line that is neither blank, a comment, a header nor "key=value"; 0 if none.
IniSections ParseIni(std::string_view text, int* strayLine = nullptr);
// The text ParseIni reads back as the same sections, leaving out what it cannot hold: empty
// sections, and names or values with line breaks, '=' in a key or ']' at a header's end.
std::string WriteIni(const IniSections& sections);

// Whether a section, key and value can be written so that they read back unchanged.
bool IniWritable(std::string_view section, std::string_view key, std::string_view value);

}  // namespace plat
