// Runs a fuzz target's LLVMFuzzerTestOneInput once over every file named on the command line,
// directories taken file by file, so that a normal build replays the seed corpora under CTest.
// Options in libFuzzer's "-name=value" form are accepted and ignored, so a command line
// written for the fuzzer also works here.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::filesystem::path> inputsOf(const std::filesystem::path& arg) {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    if (std::filesystem::is_directory(arg, ec)) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(arg, ec))
            if (entry.is_regular_file()) files.push_back(entry.path());
        std::sort(files.begin(), files.end());
    } else if (std::filesystem::is_regular_file(arg, ec)) {
        files.push_back(arg);
    }
    return files;
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.starts_with('-')) continue;
        const auto files = inputsOf(arg);
        if (files.empty()) {
            std::fprintf(stderr, "no input files in %s\n", arg.c_str());
            return 1;
        }
        for (const auto& file : files) {
            std::ifstream in(file, std::ios::binary);
            const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            if (!in.good() && !in.eof()) {
                std::fprintf(stderr, "cannot read %s\n", file.c_str());
                return 1;
            }
            // A copy of exactly the file's size, so that reading past the end shows under ASan.
            std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
            static std::uint8_t none = 0;
            LLVMFuzzerTestOneInput(data.empty() ? &none : data.data(), data.size());
            ++replayed;
        }
    }
    if (replayed == 0) {
        std::fprintf(stderr, "usage: %s <corpus dir or file>...\n", argv[0]);
        return 1;
    }
    std::printf("replayed %zu inputs\n", replayed);
    return 0;
}
