// A fuzzer without libFuzzer: runs its LLVMFuzzerTestOneInput once over every file named or found
// in the folders named (the committed corpus and the inputs that once crashed it). Built with the
// project's compiler into the normal test run, so every input ever found stays a regression test.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main(int argc, char **argv) {
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i)
        if (fs::is_directory(argv[i]))
            for (const auto &entry : fs::directory_iterator(argv[i])) files.push_back(entry.path());
        else if (fs::exists(argv[i]))
            files.push_back(argv[i]);
    std::sort(files.begin(), files.end());
    for (const fs::path &file : files) {
        std::ifstream stream(file, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
        // Named first, so that the input of a crash is the last name printed.
        std::printf("%s\n", file.c_str());
        std::fflush(stdout);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
    }
    std::printf("replayed %zu inputs\n", files.size());
    return files.empty() ? 1 : 0;
}
