#include "tools/cli/json_writer.h"

#include <cmath>
#include <cstdio>

namespace qcli {

std::string JsonWriter::Quote(std::string_view utf8) {
    std::string out = "\"";
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (byte < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

void JsonWriter::Prefix(std::string_view key) {
    if (inObject_.empty()) return;
    if (hasItems_.back()) out_ += ",";
    hasItems_.back() = true;
    out_ += "\n" + std::string(2 * inObject_.size(), ' ');
    if (inObject_.back()) out_ += Quote(key) + ": ";
}

void JsonWriter::BeginObject(std::string_view key) {
    Prefix(key);
    out_ += "{";
    inObject_.push_back(true);
    hasItems_.push_back(false);
}

void JsonWriter::BeginArray(std::string_view key) {
    Prefix(key);
    out_ += "[";
    inObject_.push_back(false);
    hasItems_.push_back(false);
}

void JsonWriter::End() {
    if (inObject_.empty()) return;
    const bool object = inObject_.back();
    const bool items = hasItems_.back();
    inObject_.pop_back();
    hasItems_.pop_back();
    if (items) out_ += "\n" + std::string(2 * inObject_.size(), ' ');
    out_ += object ? "}" : "]";
}

void JsonWriter::String(std::string_view key, std::string_view utf8) {
    Prefix(key);
    out_ += Quote(utf8);
}

void JsonWriter::Integer(std::string_view key, int64_t value) {
    Prefix(key);
    out_ += std::to_string(value);
}

void JsonWriter::Number(std::string_view key, double value) {
    Prefix(key);
    if (!std::isfinite(value)) {
        out_ += "null";
        return;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", value);
    out_ += text;
}

void JsonWriter::Null(std::string_view key) {
    Prefix(key);
    out_ += "null";
}

std::string JsonWriter::Text() const { return out_ + "\n"; }

}  // namespace qcli
