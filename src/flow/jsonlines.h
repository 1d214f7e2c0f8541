#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace replay {

// Writes JSON objects one per line into a buffer that goes out in large blocks. Keys are
// the caller's literals and are written as given; text values are escaped.
class JsonLines {
  public:
    explicit JsonLines(std::FILE* out) : out_(out) {}
    ~JsonLines() { Flush(); }
    JsonLines(const JsonLines&) = delete;
    JsonLines& operator=(const JsonLines&) = delete;

    // An empty key writes a bare value (inside an array).
    JsonLines& Open(std::string_view key, char bracket);
    JsonLines& Close(char bracket);
    JsonLines& Int(std::string_view key, std::int64_t value);
    JsonLines& Double(std::string_view key, double value);
    JsonLines& Text(std::string_view key, std::string_view value);
    // Closes the line's object and ends the line.
    void EndLine();
    void Flush();
    // Writes out what is final: all of it, or up to the mark.
    void FlushFinal();
    // Marks the end of what is written so far: whole lines may later be put in there, and
    // a flush before the final one keeps what follows the mark.
    void Pin() { pin_ = buffer_.size(); }
    // Puts a whole line, break included, at the mark and moves the mark past it.
    void InsertAtPin(std::string_view line);

  private:
    void Key(std::string_view key);

    std::FILE* out_;
    std::string buffer_;
    std::size_t pin_ = std::string::npos;
    bool first_ = true;  // no element yet in the innermost object or array
};

// value as a JSON string literal, quotes included.
void AppendJsonString(std::string& out, std::string_view value);

}  // namespace replay
