// Replays saved inputs through a fuzz target's entry function: every file below each folder given (a
// folder that does not exist holds nothing to replay). The normal test run uses it for the seed corpus and
// for every input that once made a target fail, so a fixed fault stays fixed without a fuzzing engine.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main(int argc, char **argv)
{
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        const fs::path folder(argv[i]);
        std::error_code error;
        if (!fs::is_directory(folder, error))
            continue;
        for (const fs::directory_entry &entry : fs::recursive_directory_iterator(folder)) {
            if (entry.is_regular_file() && entry.path().filename().string().rfind('.', 0) != 0)
                files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    for (const fs::path &file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::printf("%s (%zu bytes)\n", file.string().c_str(), bytes.size());
        std::fflush(stdout);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
    }
    std::printf("replayed %zu inputs\n", files.size());
    if (files.empty()) {
        std::fprintf(stderr, "no inputs found: the seed corpus is missing\n");
        return 1;
    }
    return 0;
}
