// Uses the library DLL as an installer does: LoadLibraryA, then FileVersion and
// ConvertToUnicode through GetProcAddress, on real project files and text
// files, catching the exceptions that the library throws across the DLL
// boundary; and reads the exported identity data by name. Prints one line per
// check and a closing "N passed, M failed".
//
// Usage: installer_loader <library DLL> <directory of the sample project files>

#include "errors/sax_error.h"
#include "exports/kor_library_version.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace {

using FileVersionFn = void (*)(const char*, int32_t*, int32_t*, int32_t*, int32_t*);
using ConvertToUnicodeFn = bool (*)(const char*, const char*);
using GetKorLibraryInfoFn = const char16_t* (*)();

template <typename T>
T Lookup(HMODULE module, const char* name) {
    return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

int g_passed = 0;
int g_failed = 0;

void Check(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    ++(ok ? g_passed : g_failed);
}

struct Version {
    int32_t major, minor, fixed, build;
    bool operator==(const Version& o) const {
        return major == o.major && minor == o.minor && fixed == o.fixed && build == o.build;
    }
};

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string TempFile(const char* name) {
    char dir[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof dir, dir);
    std::string base = (n > 0 && n < sizeof dir) ? std::string(dir, n) : std::string(".\\");
    return base + "quenzil-loader-" + std::to_string(GetCurrentProcessId()) + "-" + name;
}

// What the conversion must produce: the byte-order mark, then every input
// byte as the system's ANSI code page reads it, with LF written as CR LF.
std::string ExpectedUtf16(const std::string& ansi) {
    std::string out = "\xFF\xFE";
    for (char byte : ansi) {
        wchar_t unit = 0;
        MultiByteToWideChar(CP_ACP, 0, &byte, 1, &unit, 1);
        if (unit == L'\n') out.append("\r\0", 2);
        out.push_back(char(unit & 0xFF));
        out.push_back(char(unit >> 8));
    }
    return out;
}

void CheckFileVersions(FileVersionFn fileVersion, const std::string& samples) {
    struct Case {
        const char* file;
        Version expected;
    } cases[] = {
        {"plain.kpf", {3, 1, 0, 27}},         {"level1.kpf", {3, 1, 0, 27}},
        {"level2.kpf", {3, 1, 0, 27}},        {"alt-signatures.kpf", {3, 1, 0, 27}},
        {"version-only.kpf", {1, 4, 2, 108}},
    };
    for (const Case& c : cases) {
        std::string path = samples + "\\" + c.file;
        Version v{-1, -1, -1, -1};
        try {
            fileVersion(path.c_str(), &v.major, &v.minor, &v.fixed, &v.build);
            Check(v == c.expected, std::string("FileVersion ") + c.file + " -> " +
                                       std::to_string(v.major) + "." + std::to_string(v.minor) +
                                       "." + std::to_string(v.fixed) + "." +
                                       std::to_string(v.build));
        } catch (...) {
            Check(false, std::string("FileVersion ") + c.file + " threw");
        }
    }
}

// The library's exceptions must reach the caller as their own types, with
// their texts, and leave the out-parameters alone.
void CheckFileVersionFailures(FileVersionFn fileVersion) {
    std::string missing = TempFile("missing.kpf");
    Version v{7, 7, 7, 7};
    try {
        fileVersion(missing.c_str(), &v.major, &v.minor, &v.fixed, &v.build);
        Check(false, "FileVersion on a missing file returned");
    } catch (const MSAXError::MFileOpenRead& e) {
        std::u16string expected = u"Failed to open file for reading";
        expected.append(missing.begin(), missing.end());
        Check(e.code == 525 && e.message == expected && v == Version{7, 7, 7, 7},
              "FileVersion on a missing file throws MFileOpenRead with the path");
    } catch (...) {
        Check(false, "FileVersion on a missing file threw something else");
    }

    std::string notZip = TempFile("not-a-container.kpf");
    WriteBytes(notZip, "plain text, no container");
    try {
        fileVersion(notZip.c_str(), &v.major, &v.minor, &v.fixed, &v.build);
        Check(false, "FileVersion on a text file returned");
    } catch (const MSAXError::MGeneric& e) {
        Check(e.code != 0 && !e.message.empty() && v == Version{7, 7, 7, 7},
              "FileVersion on a text file throws an MSAXError (code " + std::to_string(e.code) +
                  ")");
    } catch (...) {
        Check(false, "FileVersion on a text file threw something else");
    }
    DeleteFileA(notZip.c_str());
}

void CheckConversions(ConvertToUnicodeFn convert) {
    struct Case {
        const char* name;
        std::string ansi;
    } cases[] = {
        {"empty", ""},
        {"line ends", "A\r\nB"},
        {"eleven bytes", "0123456789\n"},
        {"high bytes", "caf\xE9 \x80 \xA3\n"},
    };
    std::string in = TempFile("in.txt"), out = TempFile("out.txt");
    for (const Case& c : cases) {
        WriteBytes(in, c.ansi);
        DeleteFileA(out.c_str());
        bool ok = convert(in.c_str(), out.c_str());
        // CR LF is read as LF in text mode and written back as CR LF.
        std::string text = c.ansi;
        for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
        Check(ok && ReadBytes(out) == ExpectedUtf16(text),
              std::string("ConvertToUnicode ") + c.name);
    }
    DeleteFileA(in.c_str());
    DeleteFileA(out.c_str());
}

// The identity data as a MinGW caller finds it: exported under the C++ names.
void CheckIdentity(HMODULE library) {
    auto info = Lookup<const char16_t* const*>(library, "_ZN19Quenzil_02_00_00_0019__g_korlibrary_infoE");
    auto version = Lookup<const KorLibraryVersion*>(library, "_ZN19Quenzil_02_00_00_0011__g_versionE");
    auto siblingInfo = Lookup<GetKorLibraryInfoFn>(library, "_ZN18KorSax_08_00_00_0019__GetKorLibraryInfoEv");
    Check(info != nullptr && version != nullptr && siblingInfo != nullptr,
          "GetProcAddress of the identity data and accessor");
    if (info == nullptr || version == nullptr || siblingInfo == nullptr) return;

    const std::u16string prefix = u"<KorLibrary::Quenzil::02::00::00::00::Unicode-Intel-Release::Timestamp::";
    std::u16string text = *info != nullptr ? std::u16string(*info) : std::u16string();
    Check(text.compare(0, prefix.size(), prefix) == 0 && text.back() == u'>',
          "__g_korlibrary_info is the library's identity string");
    Check(version->info == *info && version->name != nullptr &&
              std::u16string(version->name) == u"Quenzil",
          "__g_version names the library and points to the identity string");

    // The sibling module came in with the library, as its import.
    HMODULE sibling = GetModuleHandleA("KorSAX.08.00.dll");
    auto siblingData = sibling == nullptr ? nullptr
        : Lookup<const char16_t* const*>(sibling, "_ZN18KorSax_08_00_00_0019__g_korlibrary_infoE");
    Check(siblingData != nullptr && siblingInfo() == *siblingData,
          "__GetKorLibraryInfo returns KorSAX.08.00.dll's identity string");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: installer_loader <library DLL> <samples directory>\n");
        return 2;
    }
    HMODULE library = LoadLibraryA(argv[1]);
    Check(library != nullptr, std::string("LoadLibraryA ") + argv[1]);
    if (library != nullptr) {
        auto fileVersion = Lookup<FileVersionFn>(library, "FileVersion");
        auto convert = Lookup<ConvertToUnicodeFn>(library, "ConvertToUnicode");
        Check(fileVersion != nullptr, "GetProcAddress FileVersion");
        Check(convert != nullptr, "GetProcAddress ConvertToUnicode");
        if (fileVersion != nullptr) {
            CheckFileVersions(fileVersion, argv[2]);
            CheckFileVersionFailures(fileVersion);
        }
        if (convert != nullptr) CheckConversions(convert);
        CheckIdentity(library);
        Check(FreeLibrary(library) != 0, "FreeLibrary");
    }
    std::printf("installer_loader: %d passed, %d failed\n", g_passed, g_failed);
    return g_failed == 0 ? 0 : 1;
}
