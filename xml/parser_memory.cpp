#include "xml/parser_memory.h"

#include <cstdint>
#include <cstdlib>

namespace xml {
namespace {

thread_local std::size_t* t_budget = nullptr;

// Every block starts with its account and size; the header keeps the
// alignment that malloc gives.
struct alignas(alignof(std::max_align_t)) BlockHeader {
    std::size_t* budget;
    std::size_t size;
};

BlockHeader* HeaderOf(void* block) {
    return static_cast<BlockHeader*>(block) - 1;
}

bool Affordable(const std::size_t* budget, std::size_t held, std::size_t wanted) {
    if (wanted > SIZE_MAX - sizeof(BlockHeader)) return false;
    return budget == nullptr || wanted <= held || wanted - held <= kMaxParserMemory - *budget;
}

void* BoundedMalloc(std::size_t size) {
    std::size_t* budget = t_budget;
    if (!Affordable(budget, 0, size)) return nullptr;
    auto* header = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + size));
    if (header == nullptr) return nullptr;
    header->budget = budget;
    header->size = size;
    if (budget != nullptr) *budget += size;
    return header + 1;
}

void BoundedFree(void* block) {
    if (block == nullptr) return;
    BlockHeader* header = HeaderOf(block);
    if (header->budget != nullptr) *header->budget -= header->size;
    std::free(header);
}

void* BoundedRealloc(void* block, std::size_t size) {
    if (block == nullptr) return BoundedMalloc(size);
    BlockHeader* header = HeaderOf(block);
    std::size_t* budget = header->budget;
    const std::size_t old = header->size;
    if (!Affordable(budget, old, size)) return nullptr;
    auto* moved = static_cast<BlockHeader*>(std::realloc(header, sizeof(BlockHeader) + size));
    if (moved == nullptr) return nullptr;
    moved->size = size;
    if (budget != nullptr) *budget = *budget - old + size;
    return moved + 1;
}

const XML_Memory_Handling_Suite kSuite = {BoundedMalloc, BoundedRealloc, BoundedFree};

}  // namespace

ParserMemoryScope::ParserMemoryScope(std::size_t* budget) : previous_(t_budget) {
    t_budget = budget;
}

ParserMemoryScope::~ParserMemoryScope() {
    t_budget = previous_;
}

const XML_Memory_Handling_Suite* BoundedMemorySuite() {
    return &kSuite;
}

}  // namespace xml
