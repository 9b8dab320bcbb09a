#pragma once
// A minimal JSON writer for machine-readable command output: objects, arrays,
// strings (escaped), integers and numbers, with two-space indentation.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qcli {

class JsonWriter {
public:
    // Opens an object or array, as a member named key inside an object or as
    // an element inside an array (key ignored) or as the document.
    void BeginObject(std::string_view key = {});
    void BeginArray(std::string_view key = {});
    void End();  // closes the innermost object or array

    void String(std::string_view key, std::string_view utf8);
    void Integer(std::string_view key, int64_t value);
    void Number(std::string_view key, double value);  // non-finite values are written as null
    void Null(std::string_view key);

    // The document, ending with a line end once everything is closed.
    std::string Text() const;

    // A JSON string literal for UTF-8 text: quotes, backslash and control
    // characters escaped; other bytes passed through.
    static std::string Quote(std::string_view utf8);

private:
    void Prefix(std::string_view key);
    std::string out_;
    std::vector<bool> inObject_;  // per open level: object (true) or array
    std::vector<bool> hasItems_;
};

}  // namespace qcli
