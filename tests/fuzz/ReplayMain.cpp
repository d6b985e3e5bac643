// Replays fuzz inputs as ordinary regression tests (built with any
// compiler, no fuzzing): every file in the folders named on the command line
// goes through the target once.
//   replay_<target> FOLDER...              replays every file in them
//   replay_<target> --write-seeds FOLDER   writes the program's own seeds
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "FuzzTarget.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--write-seeds") {
        fs::create_directories(argv[2]);
        int n = 0;
        for (const std::string& seed : QuillonFuzzSeeds()) {
            std::ofstream out(fs::path(argv[2]) / ("seed-" + std::to_string(++n)), std::ios::binary);
            out.write(seed.data(), std::streamsize(seed.size()));
        }
        std::printf("%d seeds written\n", n);
        return 0;
    }
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        std::vector<fs::path> files;
        std::error_code ec;
        if (fs::is_regular_file(argv[i], ec)) files.emplace_back(argv[i]);
        else if (fs::is_directory(argv[i], ec))
            for (const auto& e : fs::directory_iterator(argv[i]))
                if (e.is_regular_file() && e.path().filename().string()[0] != '.') files.push_back(e.path());
        std::sort(files.begin(), files.end());
        for (const fs::path& f : files) {
            std::ifstream in(f, std::ios::binary);
            const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
            ++replayed;
        }
    }
    std::printf("%d inputs replayed\n", replayed);
    return replayed > 0 ? 0 : 1;
}
