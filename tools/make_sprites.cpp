// Writes spritemask's three pictures into the folder given on the command line, all 24-bit:
//   haikei.bmp  16 x 16 sea tile whose edges meet without a seam
//   pic1.bmp    64 x 32: the fighter on black | white mask with a black silhouette
//   pic2.bmp    64 x 32: the fighter on white | black mask with a white silhouette
// The silhouette is exactly the fighter's drawn pixels, so AND-mask-then-OR-fighter (pic1) and
// OR-mask-then-AND-fighter (pic2) both leave the fighter's true colours over the tiles.
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <string_view>

#include "drawing.h"
#include "picture/bmp.h"

namespace {

using frame::picture::EncodeBmp;
using frame::picture::Image;

constexpr int kCell = 32;
constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kWhite = 0xFFFFFF;

// Left half of the fighter, nose up; each row is mirrored to make the right half.
// '.' is outside the silhouette.
constexpr std::array<std::string_view, kCell> kFighterLeftHalf = {
    "...............o",  //
    "..............oh",  //
    "..............oh",  //
    ".............ohg",  //
    ".............ohg",  //
    ".............ogC",  //
    "............ogcC",  //
    "............ogcc",  //
    "............ogcc",  //
    "............ogGc",  //
    "...........odgGG",  //
    "..........odddgg",  //
    "..........odGdgg",  //
    ".........ohdGdgg",  //
    "........ohgdGdgg",  //
    ".......ohggdGdgg",  //
    "......ohgggdGdgg",  //
    ".....ohggggdGdgg",  //
    "....ohgrrggdGdgg",  //
    "...ohgrrrrgdGdgg",  //
    "..ohggrrrrgdGdgg",  //
    ".ohgggGrrGGdGdgg",  //
    ".oGGGGGGGGGdGdgG",  //
    "..ooooooooodGdgG",  //
    "........oooodGdG",  //
    ".......ohgodGGdG",  //
    "......ohggGdGGdG",  //
    ".....ohgggGdGGdG",  //
    ".....oGGGGGonnnd",  //
    "......ooooooyfyo",  //
    "............yfy.",  //
    ".............y..",  //
};

const std::map<char, std::uint32_t> kFighterColours = {
    {'o', 0x1A2230},  // outline
    {'d', 0x4A5868},  // dark panel
    {'G', 0x7C8C9C},  // mid grey
    {'g', 0xB4C2D0},  // light grey
    {'h', 0xE2EAF2},  // leading-edge highlight
    {'c', 0x2E9CE0},  // canopy
    {'C', 0xB8ECFF},  // canopy glint
    {'r', 0xD82828},  // wing marking
    {'n', 0x303844},  // nozzle
    {'y', 0xFFE040},  // exhaust flame
    {'f', 0xFF7818},  // exhaust core
};

struct Fighter {
    std::array<std::uint32_t, kCell * kCell> colours{};
    std::array<bool, kCell * kCell> inside{};
};

Fighter DrawFighter() {
    Fighter fighter;
    for (int y = 0; y < kCell; ++y) {
        for (int x = 0; x < kCell; ++x) {
            const char key = kFighterLeftHalf[y][x < 16 ? x : kCell - 1 - x];
            if (key == '.') continue;
            fighter.inside[y * kCell + x] = true;
            fighter.colours[y * kCell + x] = kFighterColours.at(key);
        }
    }
    return fighter;
}

// One sprite picture: fighter cell on `background`, mask cell `around` with `silhouette` inside.
Image SpritePicture(const Fighter& fighter, std::uint32_t background, std::uint32_t around, std::uint32_t silhouette) {
    Image image{2 * kCell, kCell, std::vector<std::uint32_t>(2 * kCell * kCell)};
    for (int y = 0; y < kCell; ++y) {
        for (int x = 0; x < kCell; ++x) {
            const int at = y * kCell + x;
            image.pixels[y * 2 * kCell + x] = fighter.inside[at] ? fighter.colours[at] : background;
            image.pixels[y * 2 * kCell + kCell + x] = fighter.inside[at] ? silhouette : around;
        }
    }
    return image;
}

// Sea: blues from waves that repeat every 16 pixels both ways, plus foam crests placed with
// wrap-around, so the tile repeats without a seam.
Image SeaTile() {
    constexpr int kTile = 16;
    const std::array<std::uint32_t, 4> blues = {0x154A8C, 0x1D5CA6, 0x2870BE, 0x3886D2};
    Image image{kTile, kTile, std::vector<std::uint32_t>(kTile * kTile)};
    const double step = 2 * std::numbers::pi / kTile;
    for (int y = 0; y < kTile; ++y) {
        for (int x = 0; x < kTile; ++x) {
            // Wavy bands across the tile, two to its height, lightly broken up.
            const double wave =
                0.5 + 0.38 * std::sin(step * 2 * y + 1.3 * std::sin(step * x)) + 0.12 * std::sin(step * (x - y) + 0.5);
            const int level = std::clamp(static_cast<int>(wave * blues.size()), 0, static_cast<int>(blues.size()) - 1);
            image.pixels[y * kTile + x] = blues[level];
        }
    }
    // Small arcs of foam: light ends, a white top.
    const std::array<std::array<int, 2>, 3> crests = {{{2, 4}, {10, 11}, {13, 1}}};
    for (const auto& [cx, cy] : crests) {
        auto put = [&](int dx, int dy, std::uint32_t colour) {
            const int x = (cx + dx + kTile) % kTile;
            const int y = (cy + dy + kTile) % kTile;
            image.pixels[y * kTile + x] = colour;
        };
        put(0, 1, 0x8CC8F0);
        put(1, 0, 0xDDF2FF);
        put(2, 0, 0xFFFFFF);
        put(3, 0, 0xDDF2FF);
        put(4, 1, 0x8CC8F0);
    }
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <spritemask folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    const Fighter fighter = DrawFighter();
    const bool written =
        tools::WriteFile(folder / "haikei.bmp", EncodeBmp(SeaTile(), 24)) &&
        tools::WriteFile(folder / "pic1.bmp", EncodeBmp(SpritePicture(fighter, kBlack, kWhite, kBlack), 24)) &&
        tools::WriteFile(folder / "pic2.bmp", EncodeBmp(SpritePicture(fighter, kWhite, kBlack, kWhite), 24));
    return written ? 0 : 1;
}
