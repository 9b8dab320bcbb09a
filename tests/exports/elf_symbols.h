#pragma once
// Reads the full symbol table (.symtab) of an ELF file, to reach functions
// that a shared library deliberately does not export.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qtest {

struct ElfSymbol {
    std::string name;  // as stored (mangled)
    uint64_t value;    // relative to the load address for a shared library
};

// The symbols of .symtab; empty when the file is not a 64-bit ELF file or has
// been stripped.
std::vector<ElfSymbol> ReadElfSymbols(const std::string& path);

// Demangles a C++ name; other names come back as they are.
std::string Demangle(const std::string& name);

}  // namespace qtest
