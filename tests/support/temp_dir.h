#pragma once
// A fresh temporary directory per test, removed with everything in it.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qtest {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Path of a file in the directory, as UTF-8 and as UTF-16.
    std::string File(std::string_view name) const;
    std::u16string WideFile(std::string_view name) const;

private:
    std::filesystem::path path_;
};

// Whole-file helpers.
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, std::string_view bytes);

// UTF-16 from ASCII/UTF-8 text, for building paths and expectations.
std::u16string Widen(std::string_view utf8);
std::string Narrow(std::u16string_view utf16);

}  // namespace qtest
