#include "widgets/propertybag.h"

#include <algorithm>
#include <cstdio>

#include "platform/text.h"

namespace {

bool SameKey(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

std::optional<std::int64_t> ParseNumber(std::string_view text) {
    return plat::ParseInteger(plat::Trim(text), true);
}

std::optional<double> ParseDecimal(std::string_view text) {
    return plat::ParseDecimal(plat::Trim(text));
}

std::string FormatPoints(double points) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", points);
    return text;
}

}  // namespace

std::optional<std::string> PropertyBag::Get(std::string_view key) const {
    for (const auto& [name, value] : entries_) {
        if (SameKey(name, key)) return value;
    }
    return std::nullopt;
}

void PropertyBag::Set(std::string_view key, std::string value) {
    for (auto& [name, stored] : entries_) {
        if (SameKey(name, key)) {
            stored = std::move(value);
            return;
        }
    }
    entries_.emplace_back(std::string(key), std::move(value));
}

std::string PropertyBag::ReadString(std::string_view key, const std::string& fallback) const {
    return Get(key).value_or(fallback);
}

std::int16_t PropertyBag::ReadInt16(std::string_view key, std::int16_t fallback) const {
    const auto text = Get(key);
    const auto value = text ? ParseNumber(*text) : std::nullopt;
    if (!value || *value < INT16_MIN || *value > INT16_MAX) return fallback;
    return static_cast<std::int16_t>(*value);
}

std::uint32_t PropertyBag::ReadColour(std::string_view key, std::uint32_t fallback) const {
    const auto text = Get(key);
    const auto value = text ? ParseNumber(*text) : std::nullopt;
    if (!value || *value < INT32_MIN || *value > UINT32_MAX) return fallback;
    return static_cast<std::uint32_t>(*value);
}

bool PropertyBag::ReadBool(std::string_view key, bool fallback) const {
    const auto text = Get(key);
    if (!text) return fallback;
    const std::string_view value = plat::Trim(*text);
    if (SameKey(value, "true") || value == "-1" || value == "1") return true;
    if (SameKey(value, "false") || value == "0") return false;
    return fallback;
}

StoredFont PropertyBag::ReadFont(std::string_view key, const StoredFont& fallback) const {
    const auto text = Get(key);
    if (!text) return fallback;
    // face, character set, weight, size in points, style bits
    std::vector<std::string_view> parts;
    std::string_view rest = *text;
    for (std::size_t comma; (comma = rest.find(',')) != std::string_view::npos;) {
        parts.push_back(plat::Trim(rest.substr(0, comma)));
        rest.remove_prefix(comma + 1);
    }
    parts.push_back(plat::Trim(rest));
    if (parts.size() != 5 || parts[0].empty() || parts[0].size() > 32) return fallback;
    const auto charset = ParseNumber(parts[1]);
    const auto weight = ParseNumber(parts[2]);
    const auto points = ParseDecimal(parts[3]);
    const auto style = ParseNumber(parts[4]);
    if (!charset || *charset < 0 || *charset > 255 || !weight || *weight < 0 || *weight > 1000 ||
        !points || *points <= 0 || *points > 1000 || !style || *style < 0 || *style > 7)
        return fallback;
    return {std::string(parts[0]), static_cast<int>(*charset), static_cast<int>(*weight), *points,
            static_cast<int>(*style)};
}

void PropertyBag::WriteString(std::string_view key, const std::string& value,
                              const std::string& fallback) {
    if (value != fallback) Set(key, value);
}

void PropertyBag::WriteInt(std::string_view key, std::int64_t value, std::int64_t fallback) {
    if (value != fallback) Set(key, std::to_string(value));
}

void PropertyBag::WriteColour(std::string_view key, std::uint32_t value, std::uint32_t fallback) {
    if (value != fallback) WriteColour(key, value);
}

void PropertyBag::WriteColour(std::string_view key, std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    Set(key, text);
}

void PropertyBag::WriteBool(std::string_view key, bool value, bool fallback) {
    if (value != fallback) Set(key, value ? "True" : "False");
}

void PropertyBag::WriteFont(std::string_view key, const StoredFont& value) {
    Set(key, value.face + ", " + std::to_string(value.charset) + ", " +
                 std::to_string(value.weight) + ", " + FormatPoints(value.points) + ", " +
                 std::to_string(value.style));
}

std::string PropertyBag::Text() const {
    std::string text;
    for (const auto& [key, value] : entries_) text += key + " = \"" + value + "\"\n";
    return text;
}

Layout ParseLayout(std::string_view text) {
    Layout layout;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = plat::Trim(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            if (line.size() > 2 && line.back() == ']')
                layout.emplace_back(std::string(plat::Trim(line.substr(1, line.size() - 2))),
                                    PropertyBag{});
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || layout.empty()) continue;
        const std::string_view key = plat::Trim(line.substr(0, equals));
        std::string_view value = plat::Trim(line.substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (!key.empty()) layout.back().second.Set(key, std::string(value));
    }
    return layout;
}

PropertyBag LayoutBlock(const Layout& layout, std::string_view name) {
    for (const auto& [block, bag] : layout) {
        if (SameKey(block, name)) return bag;
    }
    return {};
}
