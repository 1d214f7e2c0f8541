#include "flow/jsonlines.h"

#include <charconv>

namespace replay {

namespace {

constexpr std::size_t kFlushSize = 1 << 16;

}  // namespace

void AppendJsonString(std::string& out, std::string_view value) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : value) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    out += "\\u00";
                    out += kHex[(c >> 4) & 0xF];
                    out += kHex[c & 0xF];
                } else {
                    out += c;  // UTF-8 passes as it is
                }
        }
    }
    out += '"';
}

JsonLines& JsonLines::Open(std::string_view key, char bracket) {
    Key(key);
    buffer_ += bracket;
    first_ = true;
    return *this;
}

JsonLines& JsonLines::Close(char bracket) {
    buffer_ += bracket;
    first_ = false;
    return *this;
}

JsonLines& JsonLines::Int(std::string_view key, std::int64_t value) {
    Key(key);
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    buffer_.append(digits, result.ptr);
    return *this;
}

JsonLines& JsonLines::Double(std::string_view key, double value) {
    Key(key);
    char digits[32];
    // Shortest form that reads back to the same double.
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    buffer_.append(digits, result.ptr);
    return *this;
}

JsonLines& JsonLines::Text(std::string_view key, std::string_view value) {
    Key(key);
    AppendJsonString(buffer_, value);
    return *this;
}

void JsonLines::EndLine() {
    buffer_ += "}\n";
    first_ = true;
    if (buffer_.size() >= kFlushSize) FlushFinal();
}

void JsonLines::FlushFinal() {
    if (pin_ == std::string::npos) {
        Flush();
        return;
    }
    if (pin_ == 0) return;
    std::fwrite(buffer_.data(), 1, pin_, out_);
    std::fflush(out_);
    buffer_.erase(0, pin_);
    pin_ = 0;
}

void JsonLines::Flush() {
    pin_ = std::string::npos;
    if (buffer_.empty()) return;
    std::fwrite(buffer_.data(), 1, buffer_.size(), out_);
    std::fflush(out_);
    buffer_.clear();
}

void JsonLines::InsertAtPin(std::string_view line) {
    if (pin_ == std::string::npos) pin_ = buffer_.size();
    buffer_.insert(pin_, line);
    pin_ += line.size();
}

void JsonLines::Key(std::string_view key) {
    if (!first_) buffer_ += ',';
    first_ = false;
    if (key.empty()) return;
    buffer_ += '"';
    buffer_ += key;
    buffer_ += "\":";
}

}  // namespace replay
