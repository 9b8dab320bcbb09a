#pragma once
// The bulk of deciphering: whole 32-byte blocks (eight words) at a time. The
// same portable routine is compiled for several x86 instruction sets and the
// best one the processor supports is chosen once; elsewhere only the portable
// build exists. Every routine gives the same bytes.

#include <cstddef>
#include <cstdint>

namespace qcrypt {

constexpr size_t kBlockBytes = 32;

// Deciphers blocks * 32 bytes at bytes (any address) in place, with the
// inverses of the multiplier and of the effective key modulo 2^32.
using BlockRoutine = void (*)(unsigned char* bytes, size_t blocks, uint32_t inverseMultiplier, uint32_t inverseKey);

struct BlockRoutineInfo {
    const char* name;
    BlockRoutine routine;
};

// The routines this processor can run, best first; the portable one is last
// and always present. count receives how many there are.
const BlockRoutineInfo* AvailableBlockRoutines(size_t& count);

// The routine in use: the first available one, chosen on first call.
BlockRoutine SelectedBlockRoutine();

}  // namespace qcrypt
