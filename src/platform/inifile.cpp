#include "platform/inifile.h"

#include "platform/text.h"

namespace plat {

namespace {

bool HasLineBreak(std::string_view text) {
    return text.find('\n') != std::string_view::npos;
}

// A key must not read as a header, a comment, a byte-order mark or part of a value.
bool KeyWritable(std::string_view key) {
    return !key.empty() && Trim(key) == key && key.find('=') == std::string_view::npos &&
           !key.starts_with("\xEF\xBB\xBF") && key.front() != '[' && key.front() != ';' &&
           key.front() != '#' && !HasLineBreak(key);
}

bool SectionWritable(std::string_view section) {
    return Trim(section) == section && !HasLineBreak(section);
}

// Values keep surrounding blanks and quotes by being quoted themselves.
bool NeedsQuotes(std::string_view value) {
    return !value.empty() && (Trim(value) != value || value.front() == '"' || value.back() == '"');
}

}  // namespace

IniSections ParseIni(std::string_view text, int* strayLine) {
    IniSections sections;
    std::string section;
    int number = 0;
    if (strayLine) *strayLine = 0;
    // Some editors begin a UTF-8 file with a byte-order mark.
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++number;
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[' && line.back() == ']' && line.size() >= 2) {
            section = Trim(line.substr(1, line.size() - 2));
            continue;
        }
        const std::size_t equals = line.find('=');
        const std::string_view key =
            Trim(line.substr(0, equals == std::string_view::npos ? 0 : equals));
        if (!KeyWritable(key)) {
            if (strayLine && *strayLine == 0) *strayLine = number;
            continue;
        }
        std::string_view value = Trim(line.substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        sections[section][std::string(key)] = value;
    }
    return sections;
}

std::string WriteIni(const IniSections& sections) {
    std::string text;
    for (const auto& [section, keys] : sections) {
        if (!SectionWritable(section)) continue;
        std::string lines;
        for (const auto& [key, value] : keys) {
            if (!IniWritable(section, key, value)) continue;
            lines += key + "=" + (NeedsQuotes(value) ? "\"" + value + "\"" : value) + "\n";
        }
        if (lines.empty()) continue;
        if (!text.empty()) text += "\n";
        // Keys outside any section come first (the map orders "" first) and need no header.
        if (!section.empty()) text += "[" + section + "]\n";
        text += lines;
    }
    return text;
}

bool IniWritable(std::string_view section, std::string_view key, std::string_view value) {
    return SectionWritable(section) && KeyWritable(key) && !HasLineBreak(value);
}

}  // namespace plat
