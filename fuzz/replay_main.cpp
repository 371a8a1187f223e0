// A fuzz target's inputs run again without libFuzzer: every file named on
// the command line and every file in the folders named, in name order, each
// passed once to LLVMFuzzerTestOneInput. The normal builds replay the seeds
// this way with their own compiler, so a broken property shows without
// clang, and under qemu-i386 in the 32-bit build. A violated property aborts
// as in the fuzzer; the input's name is printed before it runs.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

bool ReadAll(const fs::path& path, std::vector<uint8_t>& bytes) {
    std::ifstream file(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const fs::path given(argv[i]);
        std::error_code error;
        const fs::file_status status = fs::status(given, error);
        if (fs::is_directory(status)) {
            for (const fs::directory_entry& entry : fs::directory_iterator(given, error)) {
                if (entry.is_regular_file()) {
                    inputs.push_back(entry.path());
                }
            }
        } else if (fs::is_regular_file(status)) {
            inputs.push_back(given);
        } else if (!error) {
            std::fprintf(stderr, "%s: no such file or folder\n", argv[i]);
            return 1;
        }
        if (error) {
            std::fprintf(stderr, "%s: %s\n", argv[i], error.message().c_str());
            return 1;
        }
    }
    std::sort(inputs.begin(), inputs.end());

    size_t ran = 0;
    std::vector<uint8_t> bytes;
    for (const fs::path& input : inputs) {
        if (!ReadAll(input, bytes)) {
            std::fprintf(stderr, "%s: cannot be read\n", input.string().c_str());
            return 1;
        }
        std::printf("%s (%zu bytes)\n", input.string().c_str(), bytes.size());
        std::fflush(stdout);
        // libFuzzer never passes a null pointer, even for an empty input.
        const uint8_t none = 0;
        LLVMFuzzerTestOneInput(bytes.empty() ? &none : bytes.data(), bytes.size());
        ++ran;
    }
    std::printf("%zu inputs ran\n", ran);
    if (ran == 0) {
        std::fprintf(stderr, "no inputs: name corpus folders or files\n");
        return 1;
    }
    return 0;
}
