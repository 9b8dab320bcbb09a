// Deciphering "header.xml" chunks: the word cipher on 4096-byte chunks against
// zlib's CRC-32 of the same chunks (the cost every read of a deflated entry
// already pays) and against the literal series-based algorithm. Compare the
// per-chunk times of one run; bytes_per_second is shown for each.

#include "crypt/decipher_key.h"
#include "crypt/decryptor_factory.h"
#include "crypt/word_blocks.h"
#include "crypt/word_cipher.h"
#include "tests/crypt/reference_cipher.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kChunk = 4096;
constexpr size_t kChunks = 64;  // 256 KiB of data, cycled: stays in L2 like a reader's chunk

std::vector<unsigned char> Data() {
    std::mt19937 rng(42);
    std::vector<unsigned char> v(kChunk * kChunks);
    for (auto& b : v) b = static_cast<unsigned char>(rng());
    return v;
}

void BM_DecryptBuffer4096(benchmark::State& state) {
    auto data = Data();
    size_t i = 0;
    for (auto _ : state) {
        DecryptBuffer(data.data() + kChunk * i, kChunk, 0x12345679u);
        benchmark::DoNotOptimize(data.data());
        i = (i + 1) % kChunks;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kChunk);
}
BENCHMARK(BM_DecryptBuffer4096);

// The reader's route: one decryptor, key prepared once, Decrypt per chunk.
void BM_DecryptorKor32Fixed4096(benchmark::State& state) {
    auto data = Data();
    const auto decryptor = CreateDecryptor(eSAXEncryptionKor32Fixed);
    size_t i = 0;
    for (auto _ : state) {
        decryptor->Decrypt(data.data() + kChunk * i, kChunk);
        benchmark::DoNotOptimize(data.data());
        i = (i + 1) % kChunks;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kChunk);
}
BENCHMARK(BM_DecryptorKor32Fixed4096);

void BM_DecryptBufferUnaligned4096(benchmark::State& state) {
    auto data = Data();
    data.resize(data.size() + 1);
    size_t i = 0;
    for (auto _ : state) {
        DecryptBuffer(data.data() + kChunk * i + 1, kChunk, 0x12345679u);
        benchmark::DoNotOptimize(data.data());
        i = (i + 1) % kChunks;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kChunk);
}
BENCHMARK(BM_DecryptBufferUnaligned4096);

void BM_ZlibCrc32_4096(benchmark::State& state) {
    const auto data = Data();
    size_t i = 0;
    uLong crc = 0;
    for (auto _ : state) {
        crc = crc32(crc, data.data() + kChunk * i, kChunk);
        benchmark::DoNotOptimize(crc);
        i = (i + 1) % kChunks;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kChunk);
}
BENCHMARK(BM_ZlibCrc32_4096);

void BM_ReferenceLoop4096(benchmark::State& state) {
    auto data = Data();
    size_t i = 0;
    for (auto _ : state) {
        reftest::DecryptBuffer(data.data() + kChunk * i, kChunk, 0x12345679u);
        benchmark::DoNotOptimize(data.data());
        i = (i + 1) % kChunks;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kChunk);
}
BENCHMARK(BM_ReferenceLoop4096);

// Each block routine this processor can run, not only the selected one.
void BM_BlockRoutine4096(benchmark::State& state, qcrypt::BlockRoutine routine) {
    auto data = Data();
    const uint32_t ia = qcrypt::InverseOf(qcrypt::kMultiplier);
    const uint32_t ik = qcrypt::InverseOf(qcrypt::EffectiveKey(0x12345679u));
    size_t i = 0;
    for (auto _ : state) {
        routine(data.data() + kChunk * i, kChunk / qcrypt::kBlockBytes, ia, ik);
        benchmark::DoNotOptimize(data.data());
        i = (i + 1) % kChunks;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kChunk);
}

}  // namespace

int main(int argc, char** argv) {
    size_t count = 0;
    const qcrypt::BlockRoutineInfo* routines = qcrypt::AvailableBlockRoutines(count);
    for (size_t r = 0; r < count; ++r) {
        benchmark::RegisterBenchmark((std::string("BM_BlockRoutine4096/") + routines[r].name).c_str(),
                                     BM_BlockRoutine4096, routines[r].routine);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
