// Loads the shared library as an installer would and checks what it exports
// and what its loading does. This program links nothing of the library, so
// every symbol it sees comes from the loaded module.
#include "errors/sax_error.h"
#include "exports/version_registry.h"
#include "tests/exports/elf_symbols.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

const char kLibrary[] = QZ_LIBRARY_FILE;
const char kSiblingSoname[] = QZ_SIBLING_SONAME;
const char kNullSibling[] = QZ_NULL_SIBLING_FILE;

const char kInfoSymbol[] = "_ZN19Quenzil_02_00_00_0019__g_korlibrary_infoE";
const char kVersionSymbol[] = "_ZN19Quenzil_02_00_00_0011__g_versionE";
const char kAccessorSymbol[] = "_ZN18KorSax_08_00_00_0019__GetKorLibraryInfoEv";
const char kSiblingInfoSymbol[] = "_ZN18KorSax_08_00_00_0019__g_korlibrary_infoE";

bool IsLoaded(const char* file) {
    void* handle = dlopen(file, RTLD_LAZY | RTLD_NOLOAD);
    if (handle != nullptr) dlclose(handle);
    return handle != nullptr;
}

// Output lines of a command.
std::vector<std::string> Lines(const std::string& command) {
    std::vector<std::string> lines;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return lines;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        std::string line(buffer);
        while (!line.empty() && line.back() == '\n') line.pop_back();
        lines.push_back(line);
    }
    pclose(pipe);
    return lines;
}

// Names of the defined dynamic symbols, as nm prints them (demangled or not).
std::set<std::string> DynamicSymbols(bool demangle) {
    std::set<std::string> names;
    for (const std::string& line :
         Lines(std::string(QZ_NM) + " -D --defined-only " + (demangle ? "-C " : "") + kLibrary)) {
        // "<address> <type> <name>"; the name may contain spaces when demangled.
        size_t type = line.find(' ');
        if (type != std::string::npos && type + 3 <= line.size()) names.insert(line.substr(type + 3));
    }
    return names;
}

TEST(SharedLibrary, ExportsTheInterfaceAndNothingElse) {
    std::set<std::string> raw = DynamicSymbols(false);
    ASSERT_FALSE(raw.empty()) << "nm gave nothing for " << kLibrary;
    for (const char* name :
         {"FileVersion", "ConvertToUnicode", kInfoSymbol, kVersionSymbol, kAccessorSymbol})
        EXPECT_EQ(raw.count(name), 1u) << name;

    const char* const ours[] = {
        "ConvertToUnicode", "FileVersion", "Quenzil_02_00_00_00::", "KorSax_08_00_00_00::",
        "KorLibraryVersion::", "MXMLExpat::", "MSAX", "MZip", "ISAX", "typeinfo for ",
        "typeinfo name for ", "vtable for ", "VTT for ", "virtual thunk to ",
        "non-virtual thunk to "};
    for (const std::string& name : DynamicSymbols(true)) {
        bool known = false;
        for (const char* prefix : ours) known = known || name.rfind(prefix, 0) == 0;
        EXPECT_TRUE(known) << name;
        EXPECT_NE(name.rfind("std::", 0), 0u) << name;
        EXPECT_EQ(name.find("for std::"), std::string::npos) << name;
    }
}

// Opens the library, checks what loading did, and closes it again.
class LoadedLibrary : public ::testing::Test {
protected:
    void TearDown() override {
        if (library_ != nullptr) {
            EXPECT_EQ(dlclose(library_), 0);
            EXPECT_FALSE(IsLoaded(kLibrary)) << "the library stayed loaded";
        }
    }

    void Load() {
        library_ = dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library_, nullptr) << dlerror();
    }

    template <typename T>
    T* Symbol(const char* name) {
        void* address = dlsym(library_, name);
        EXPECT_NE(address, nullptr) << name;
        return static_cast<T*>(address);
    }

    void* library_ = nullptr;
};

TEST_F(LoadedLibrary, RegistryHoldsExactlyTheLibraryRecord) {
    Load();
    auto info = *Symbol<const char16_t* const>(kInfoSymbol);
    auto* version = Symbol<KorLibraryVersion>(kVersionSymbol);
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->info, info);

    // The registry's accessor is not exported: find it in the full symbol
    // table and call it at the library's load address.
    uint64_t offset = 0;
    for (const qtest::ElfSymbol& symbol : qtest::ReadElfSymbols(kLibrary))
        if (qtest::Demangle(symbol.name) == "quenzil::GetVersionRegistry()") offset = symbol.value;
    if (offset == 0) GTEST_SKIP() << "no symbol table in " << kLibrary;
    link_map* map = nullptr;
    ASSERT_EQ(dlinfo(library_, RTLD_DI_LINKMAP, &map), 0);
    auto registry = reinterpret_cast<quenzil::VersionRegistry& (*)()>(map->l_addr + offset);
    const std::vector<KorLibraryVersion*>& records = registry().Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0], version);
    EXPECT_EQ(records[0]->info, info);
}

TEST_F(LoadedLibrary, AccessorReturnsTheSiblingsPointer) {
    Load();
    void* sibling = dlopen(kSiblingSoname, RTLD_LAZY | RTLD_NOLOAD);
    ASSERT_NE(sibling, nullptr) << "the library did not load its sibling";
    auto* siblingInfo = static_cast<const char16_t* const*>(dlsym(sibling, kSiblingInfoSymbol));
    ASSERT_NE(siblingInfo, nullptr);
    ASSERT_NE(*siblingInfo, nullptr);
    auto accessor = reinterpret_cast<const char16_t* (*)()>(dlsym(library_, kAccessorSymbol));
    ASSERT_NE(accessor, nullptr);
    EXPECT_EQ(accessor(), *siblingInfo);
    dlclose(sibling);
}

TEST_F(LoadedLibrary, AccessorPassesOnANullSiblingPointer) {
    void* nullSibling = dlopen(kNullSibling, RTLD_NOW | RTLD_GLOBAL);
    ASSERT_NE(nullSibling, nullptr) << dlerror();
    Load();
    auto accessor = reinterpret_cast<const char16_t* (*)()>(dlsym(library_, kAccessorSymbol));
    ASSERT_NE(accessor, nullptr);
    EXPECT_EQ(accessor(), nullptr);
    EXPECT_EQ(dlclose(library_), 0);
    library_ = nullptr;
    EXPECT_EQ(dlclose(nullSibling), 0);
}

// The installer's view: both entry points found by their plain names, and the
// library's exceptions caught by the caller.
TEST_F(LoadedLibrary, EntryPointsWorkAcrossTheModuleBoundary) {
    Load();
    auto convert = reinterpret_cast<bool (*)(const char*, const char*)>(
        dlsym(library_, "ConvertToUnicode"));
    auto fileVersion = reinterpret_cast<void (*)(const char*, int32_t*, int32_t*, int32_t*, int32_t*)>(
        dlsym(library_, "FileVersion"));
    ASSERT_NE(convert, nullptr);
    ASSERT_NE(fileVersion, nullptr);

    char dir[] = "/tmp/quenzil-load-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string in = std::string(dir) + "/in.txt", out = std::string(dir) + "/out.txt";
    std::ofstream(in, std::ios::binary) << "A\r\nB";
    EXPECT_TRUE(convert(in.c_str(), out.c_str()));
    std::ifstream result(out, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(result), {}),
              std::string("\xFF\xFE" "A\0\r\0\n\0" "B\0", 10));

    int32_t numbers[4] = {1, 2, 3, 4};
    try {
        fileVersion(in.c_str(), &numbers[0], &numbers[1], &numbers[2], &numbers[3]);
        ADD_FAILURE() << "a text file passed for a project file";
    } catch (const MSAXError::MFileOpenRead& e) {
        EXPECT_EQ(e.code, 525u);
    }
    EXPECT_EQ(std::vector<int32_t>(numbers, numbers + 4), (std::vector<int32_t>{1, 2, 3, 4}));
    std::remove(in.c_str());
    std::remove(out.c_str());
    rmdir(dir);
}

}  // namespace
