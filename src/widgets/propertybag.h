#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A font as the property store keeps it. Style bits: 1 italic, 2 underline, 4 strike-out.
struct StoredFont {
    std::string face = "宋体";
    int charset = 134;
    int weight = 400;
    double points = 9;
    int style = 0;

    bool operator==(const StoredFont&) const = default;
};

// The host's keyed property store: text values under keys matched without regard to case,
// kept in the order written. Every read names its default, which a missing or malformed
// entry yields.
class PropertyBag {
  public:
    std::optional<std::string> Get(std::string_view key) const;
    void Set(std::string_view key, std::string value);
    const std::vector<std::pair<std::string, std::string>>& Entries() const { return entries_; }

    std::string ReadString(std::string_view key, const std::string& fallback) const;
    std::int16_t ReadInt16(std::string_view key, std::int16_t fallback) const;
    std::uint32_t ReadColour(std::string_view key, std::uint32_t fallback) const;
    bool ReadBool(std::string_view key, bool fallback) const;
    StoredFont ReadFont(std::string_view key, const StoredFont& fallback) const;

    // Writes the value unless it equals its default.
    void WriteString(std::string_view key, const std::string& value, const std::string& fallback);
    void WriteInt(std::string_view key, std::int64_t value, std::int64_t fallback);
    void WriteColour(std::string_view key, std::uint32_t value, std::uint32_t fallback);
    // Written whatever its value.
    void WriteColour(std::string_view key, std::uint32_t value);
    void WriteBool(std::string_view key, bool value, bool fallback);
    void WriteFont(std::string_view key, const StoredFont& value);

    // One "Key = value" line per entry.
    std::string Text() const;

  private:
    std::vector<std::pair<std::string, std::string>> entries_;
};

// A window's layout data: one named block of stored properties per control, written as
//   [XPButton1]
//   Caption = "投币(I)"
// Lines that fit neither form, and "#" comments, are skipped.
using Layout = std::vector<std::pair<std::string, PropertyBag>>;
Layout ParseLayout(std::string_view text);
// The block of that name (matched without regard to case), or an empty bag.
PropertyBag LayoutBlock(const Layout& layout, std::string_view name);
