// Runs a fuzz target once over every file named on the command line, or over
// every regular file in each directory named, without a fuzzing engine. This
// is how the committed corpora and regression inputs are replayed in CI, under
// AddressSanitizer and UBSan with any compiler.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<std::filesystem::path> InputsOf(const std::filesystem::path& argument, bool* ok) {
    std::vector<std::filesystem::path> inputs;
    std::error_code error;
    if (std::filesystem::is_directory(argument, error)) {
        for (const auto& entry : std::filesystem::directory_iterator(argument, error)) {
            if (entry.is_regular_file(error)) inputs.push_back(entry.path());
        }
        std::sort(inputs.begin(), inputs.end());
    } else if (std::filesystem::is_regular_file(argument, error)) {
        inputs.push_back(argument);
    } else {
        std::fprintf(stderr, "replay: no such file or directory: %s\n", argument.string().c_str());
        *ok = false;
    }
    return inputs;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE_OR_DIRECTORY...\n", argv[0]);
        return 2;
    }
    bool ok = true;
    size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        for (const auto& path : InputsOf(argv[i], &ok)) {
            std::ifstream stream(path, std::ios::binary);
            const std::string bytes{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
            if (!stream.good() && !stream.eof()) {
                std::fprintf(stderr, "replay: cannot read %s\n", path.string().c_str());
                ok = false;
                continue;
            }
            // A copy of exactly the input's size, so that reads past its end
            // are caught as they would be under the fuzzing engine.
            std::vector<uint8_t> data(bytes.begin(), bytes.end());
            static const uint8_t kNothing = 0;
            LLVMFuzzerTestOneInput(data.empty() ? &kNothing : data.data(), data.size());
            ++count;
        }
    }
    std::printf("replayed %zu inputs\n", count);
    if (count == 0) {
        std::fprintf(stderr, "replay: no inputs found\n");
        return 1;
    }
    return ok ? 0 : 1;
}
