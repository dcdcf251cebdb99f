// main() of the gdi32 tests: --kernel-path=portable|avx2|avx512 runs every test on that path of the
// raster engine; a path the processor lacks skips them all.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "kernel_path.h"

namespace {

gdi32::KernelPath tested = gdi32::ActiveKernels().path;
bool available = true;

class ForcedPath : public ::testing::Environment {
public:
    void SetUp() override {
        if (!available) GTEST_SKIP() << "this processor has no " << gdi32::PathName(tested) << " path";
    }
};

}  // namespace

namespace gditest {
gdi32::KernelPath TestedPath() { return tested; }
}  // namespace gditest

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const std::string flag = "--kernel-path=";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], flag.c_str(), flag.size()) != 0) continue;
        const std::string name = argv[i] + flag.size();
        bool known = false;
        for (const auto path : {gdi32::KernelPath::Portable, gdi32::KernelPath::Avx2, gdi32::KernelPath::Avx512}) {
            if (name != gdi32::PathName(path)) continue;
            known = true;
            tested = path;
            available = gdi32::ForceKernelPath(path);
        }
        if (!known) {
            std::fprintf(stderr, "unknown kernel path %s\n", name.c_str());
            return 2;
        }
    }
    ::testing::AddGlobalTestEnvironment(new ForcedPath);
    return RUN_ALL_TESTS();
}
