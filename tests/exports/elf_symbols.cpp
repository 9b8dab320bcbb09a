#include "tests/exports/elf_symbols.h"

#include <cxxabi.h>
#include <elf.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

namespace qtest {
namespace {

template <typename T>
bool ReadAt(const std::string& file, uint64_t offset, T* out) {
    if (offset > file.size() || file.size() - offset < sizeof(T)) return false;
    std::memcpy(out, file.data() + offset, sizeof(T));
    return true;
}

}  // namespace

std::vector<ElfSymbol> ReadElfSymbols(const std::string& path) {
    std::vector<ElfSymbol> symbols;
    std::ifstream in(path, std::ios::binary);
    std::string file(std::istreambuf_iterator<char>(in), {});
    Elf64_Ehdr header;
    if (!ReadAt(file, 0, &header) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64)
        return symbols;
    for (unsigned i = 0; i < header.e_shnum; ++i) {
        Elf64_Shdr table, strings;
        if (!ReadAt(file, header.e_shoff + uint64_t(i) * header.e_shentsize, &table)) break;
        if (table.sh_type != SHT_SYMTAB || table.sh_entsize != sizeof(Elf64_Sym)) continue;
        if (!ReadAt(file, header.e_shoff + uint64_t(table.sh_link) * header.e_shentsize, &strings))
            break;
        for (uint64_t at = 0; at + sizeof(Elf64_Sym) <= table.sh_size; at += sizeof(Elf64_Sym)) {
            Elf64_Sym symbol;
            if (!ReadAt(file, table.sh_offset + at, &symbol) || symbol.st_name >= strings.sh_size)
                break;
            const char* name = file.data() + strings.sh_offset + symbol.st_name;
            symbols.push_back({std::string(name, strnlen(name, strings.sh_size - symbol.st_name)),
                               symbol.st_value});
        }
    }
    return symbols;
}

std::string Demangle(const std::string& name) {
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> text(
        abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status), &std::free);
    return status == 0 && text ? std::string(text.get()) : name;
}

}  // namespace qtest
