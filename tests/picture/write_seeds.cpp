// Writes the hand-built bitmap files, good and broken, as the fuzzing seed corpus.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "bmp_forms.h"

namespace {

void Write(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <seed folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    std::filesystem::create_directories(folder);
    int count = 0;
    for (const auto& form : picture_test::ValidForms()) {
        Write(folder / (form.name + ".bmp"), form.file);
        ++count;
    }
    for (const auto& file : picture_test::MalformedFiles()) {
        // An empty seed adds nothing; libFuzzer always tries the empty input.
        if (file.file.empty()) continue;
        Write(folder / ("bad_" + file.name + ".bmp"), file.file);
        ++count;
    }
    std::printf("wrote %d seeds to %s\n", count, folder.c_str());
    return 0;
}
