// Reading a deflated entry through MZipArchive::ReadFile in 4096-byte chunks,
// against raw zlib inflate of the same deflate stream into a 64 KiB buffer, and
// against the same inflate plus the CRC-32 that the reader must check, and
// against that fed in the 16384-byte pulls the record layer is held to. Prints
// the ratios of the times (real and CPU) at the end; the goal is at most 1.10
// against the first.

#include "archive/zip_archive.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <stdexcept>
#include <string>

namespace {

constexpr size_t kEntrySize = 32u << 20;

// Text shaped like a project document: element names, numbers, some noise.
std::string DocumentText(size_t size) {
    std::mt19937 random(1);
    static const char* const tags[] = {"item", "value", "name", "position", "blob", "id"};
    std::string out;
    out.reserve(size + 64);
    while (out.size() < size) {
        const char* tag = tags[random() % 6];
        out += "<";
        out += tag;
        out += ">";
        out += std::to_string(random() % 100000);
        out += " ";
        out += std::to_string(random());
        out += "</";
        out += tag;
        out += ">\n";
    }
    out.resize(size);
    return out;
}

struct Fixture {
    std::filesystem::path path;
    std::string compressed;  // the entry's raw deflate stream
    size_t size = 0;

    Fixture() {
        const std::string text = DocumentText(kEntrySize);
        size = text.size();
        // A name of its own, so runs side by side do not share the file.
        path = std::filesystem::temp_directory_path() /
               ("quenzil_zip_read_bench_" + std::to_string(std::random_device()()) + ".zip");
        MZipArchive writer;
        if (!writer.Create(path.u16string())) throw std::runtime_error("cannot create fixture");
        MZipFile file = writer.OpenNewFile("header.xml", eSAXCompressionDefault);
        writer.WriteFile(file, text.data(), uint32_t(text.size()));
        writer.CloseNewFile(file);
        writer.Close();

        // The same stream, taken from the file: it follows the 30-byte local
        // header and the 10-byte name.
        std::FILE* f = std::fopen(path.string().c_str(), "rb");
        unsigned char header[30];
        if (f == nullptr || std::fread(header, 1, 30, f) != 30) throw std::runtime_error("read");
        const uint32_t compressedSize =
            header[18] | header[19] << 8 | header[20] << 16 | uint32_t(header[21]) << 24;
        compressed.resize(compressedSize);
        std::fseek(f, 30 + 10, SEEK_SET);
        if (std::fread(compressed.data(), 1, compressedSize, f) != compressedSize)
            throw std::runtime_error("read");
        std::fclose(f);
    }
    ~Fixture() { std::filesystem::remove(path); }
};

Fixture& TheFixture() {
    static Fixture fixture;
    return fixture;
}

void BM_ReadFile4096(benchmark::State& state) {
    Fixture& fixture = TheFixture();
    MZipArchive archive;
    if (!archive.Open(fixture.path.u16string())) {
        state.SkipWithError("cannot open fixture");
        return;
    }
    char buffer[4096];
    for (auto _ : state) {
        MZipFile file = archive.OpenFile("header.xml");
        size_t total = 0;
        for (int got; (got = archive.ReadFile(file, buffer, sizeof buffer)) > 0;) total += size_t(got);
        archive.CloseFile(file);
        if (total != fixture.size) state.SkipWithError("short read");
        benchmark::DoNotOptimize(buffer);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(fixture.size));
}

// Inflates the fixture's stream from memory into a 64 KiB buffer, with or
// without a CRC-32 over the output. pull > 0 hands zlib the stream in pieces
// of that many bytes, as the record layer pulls it from the file (16384).
void RawInflate(benchmark::State& state, bool withCrc, size_t pull = 0) {
    Fixture& fixture = TheFixture();
    static unsigned char buffer[65536];
    for (auto _ : state) {
        z_stream z{};
        inflateInit2(&z, -MAX_WBITS);
        z.next_in = reinterpret_cast<Bytef*>(fixture.compressed.data());
        z.avail_in = uInt(pull > 0 ? 0 : fixture.compressed.size());
        size_t fed = pull > 0 ? 0 : fixture.compressed.size();
        size_t total = 0;
        uLong crc = 0;
        int status = Z_OK;
        while (status == Z_OK) {
            z.next_out = buffer;
            z.avail_out = sizeof buffer;
            do {
                if (z.avail_in == 0 && fed < fixture.compressed.size()) {
                    z.next_in = reinterpret_cast<Bytef*>(fixture.compressed.data()) + fed;
                    z.avail_in = uInt(std::min(pull, fixture.compressed.size() - fed));
                    fed += z.avail_in;
                }
                status = inflate(&z, Z_NO_FLUSH);
            } while (status == Z_OK && z.avail_out > 0 && fed < fixture.compressed.size());
            total += sizeof buffer - z.avail_out;
            if (withCrc) crc = crc32(crc, buffer, uInt(sizeof buffer - z.avail_out));
        }
        inflateEnd(&z);
        if (total != fixture.size) state.SkipWithError("short inflate");
        benchmark::DoNotOptimize(buffer);
        benchmark::DoNotOptimize(crc);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(fixture.size));
}

void BM_RawInflate64K(benchmark::State& state) { RawInflate(state, false); }
void BM_RawInflate64KWithCrc(benchmark::State& state) { RawInflate(state, true); }
void BM_RawInflate64KWithCrc16KPulls(benchmark::State& state) { RawInflate(state, true, 16384); }

BENCHMARK(BM_ReadFile4096)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawInflate64K)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawInflate64KWithCrc)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawInflate64KWithCrc16KPulls)->Unit(benchmark::kMillisecond);

// Console output plus the ratios of ReadFile's times to the yardsticks'. On a
// shared machine the CPU ratio is the steadier one.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            real_[run.run_name.function_name] = run.GetAdjustedRealTime();
            cpu_[run.run_name.function_name] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const char* yardstick :
             {"BM_RawInflate64K", "BM_RawInflate64KWithCrc", "BM_RawInflate64KWithCrc16KPulls"}) {
            if (!real_.count("BM_ReadFile4096") || !real_.count(yardstick)) continue;
            std::printf("BM_ReadFile4096 / %s: real %.3f, cpu %.3f (goal <= 1.10)\n", yardstick,
                        real_["BM_ReadFile4096"] / real_[yardstick],
                        cpu_["BM_ReadFile4096"] / cpu_[yardstick]);
        }
    }

private:
    std::map<std::string, double> real_;
    std::map<std::string, double> cpu_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
