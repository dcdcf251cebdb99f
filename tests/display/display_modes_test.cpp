// The mode logic without an X server: order, refresh rates, what a record receives, which mode a
// record asks for.
#include <gtest/gtest.h>

#include <cstring>

#include "display_test_util.h"
#include "user32/display_modes.h"

namespace {

using user32::display::ChooseMode;
using user32::display::DisplayMode;
using user32::display::FillDevMode;
using user32::display::OrderedModes;
using user32::display::RefreshRate;

TEST(DisplayModes, OrderedByWidthHeightRateWithDuplicatesDropped) {
    const std::vector<DisplayMode> listed = {
        {1024, 768, 75, 32}, {640, 480, 60, 32},   {1024, 768, 60, 32}, {800, 600, 60, 32},
        {1024, 768, 75, 32}, {1280, 1024, 60, 32}, {1280, 960, 60, 32}, {640, 350, 85, 32},
    };
    const std::vector<DisplayMode> expected = {
        {640, 350, 85, 32},  {640, 480, 60, 32},  {800, 600, 60, 32},   {1024, 768, 60, 32},
        {1024, 768, 75, 32}, {1280, 960, 60, 32}, {1280, 1024, 60, 32},
    };
    EXPECT_EQ(OrderedModes(listed), expected);
    EXPECT_TRUE(OrderedModes({}).empty());
}

TEST(DisplayModes, RefreshRateOfTimings) {
    struct Case {
        unsigned long dotClock;
        unsigned hTotal, vTotal;
        bool doubleScan, interlace;
        int rate;
    };
    const Case cases[] = {
        {65000000, 1344, 806, false, false, 60},  // 60.00
        {78750000, 1312, 800, false, false, 75},  // 75.03
        {25175000, 800, 525, false, false, 60},   // 59.94 rounds up
        {40000000, 1056, 628, false, false, 60},  // 60.32
        {25175000, 800, 525, true, false, 30},    // each line shown twice
        {25175000, 800, 525, false, true, 120},   // two fields per frame
        {0, 1344, 806, false, false, 0},          // no timing (Xvfb)
        {65000000, 0, 806, false, false, 0},     {65000000, 1344, 0, false, false, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RefreshRate(c.dotClock, c.hTotal, c.vTotal, c.doubleScan, c.interlace), c.rate)
            << c.dotClock << " " << c.hTotal << " " << c.vTotal;
    }
}

TEST(DisplayModes, FillWritesOnlyDriverFieldsAtTheirOffsets) {
    const DisplayMode mode{1280, 1024, 75, 32};
    EXPECT_EQ(displaytest::CheckDriverFill([&](DEVMODEA& r) { FillDevMode(r, mode, "DUMMY0"); },
                                           {"DUMMY0", 32, 1280, 1024, 75}),
              "");
}

TEST(DisplayModes, DeviceNameIsCutWithoutSplittingACharacter) {
    // 30 ASCII bytes then a character that takes two bytes in code page 932: it would end at byte
    // 31 and leave no room for the NUL, so it is dropped whole.
    const std::string ascii(30, 'A');
    DEVMODEA record;
    std::memset(&record, 0x5A, sizeof record);
    FillDevMode(record, {640, 480, 60, 32}, ascii + "\xE7\x94\xBB");  // U+753B
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.dmDeviceName)), ascii);
    EXPECT_EQ(record.dmDeviceName[31], 0);

    // With one byte less before it, the two-byte character fits: bytes 29 and 30, NUL at 31.
    FillDevMode(record, {640, 480, 60, 32}, std::string(29, 'A') + "\xE7\x94\xBB");
    EXPECT_EQ(record.dmDeviceName[29], 0x89);  // 画 is 0x89E6 in code page 932
    EXPECT_EQ(record.dmDeviceName[30], 0xE6);
    EXPECT_EQ(record.dmDeviceName[31], 0);

    FillDevMode(record, {640, 480, 60, 32}, std::string(40, 'B'));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.dmDeviceName)), std::string(31, 'B'));
}

DEVMODEA Record(DWORD fields, DWORD bits, DWORD width, DWORD height, DWORD rate) {
    DEVMODEA record{};
    record.dmFields = fields;
    record.dmBitsPerPel = bits;
    record.dmPelsWidth = width;
    record.dmPelsHeight = height;
    record.dmDisplayFrequency = rate;
    return record;
}

TEST(DisplayModes, ChoosesTheModeARecordAsksFor) {
    const std::vector<DisplayMode> modes = {
        {640, 480, 60, 32}, {800, 600, 60, 32}, {1024, 768, 60, 32}, {1024, 768, 70, 32}, {1024, 768, 75, 32},
    };
    const DisplayMode current{1024, 768, 70, 32};
    constexpr DWORD all = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFLAGS | DM_DISPLAYFREQUENCY;
    constexpr DWORD size = DM_PELSWIDTH | DM_PELSHEIGHT;
    struct Case {
        const char* what;
        DEVMODEA record;
        LONG result;
        DisplayMode mode;
    };
    const Case cases[] = {
        {"as listed", Record(all, 32, 800, 600, 60), DISP_CHANGE_SUCCESSFUL, {800, 600, 60, 32}},
        {"listed rate", Record(all, 32, 1024, 768, 60), DISP_CHANGE_SUCCESSFUL, {1024, 768, 60, 32}},
        {"all zeros", Record(0, 0, 0, 0, 0), DISP_CHANGE_BADMODE, {}},
        {"values without fields", Record(0, 32, 800, 600, 60), DISP_CHANGE_BADMODE, {}},
        {"unknown size", Record(all, 32, 1000, 700, 60), DISP_CHANGE_BADMODE, {}},
        {"zero size", Record(all, 32, 0, 0, 0), DISP_CHANGE_BADMODE, {}},
        {"unknown rate", Record(all, 32, 800, 600, 50), DISP_CHANGE_BADMODE, {}},
        {"other depth", Record(all, 16, 800, 600, 60), DISP_CHANGE_RESTART, {}},
        {"other depth, unknown size", Record(all, 16, 1000, 700, 60), DISP_CHANGE_BADMODE, {}},
        {"no such depth", Record(all, 7, 800, 600, 60), DISP_CHANGE_BADMODE, {}},
        {"rate 0: the current one", Record(all, 32, 1024, 768, 0), DISP_CHANGE_SUCCESSFUL, current},
        {"rate 1: the current one", Record(all, 32, 1024, 768, 1), DISP_CHANGE_SUCCESSFUL, current},
        {"size only: the current rate", Record(size, 0, 1024, 768, 99), DISP_CHANGE_SUCCESSFUL, current},
        {"width only", Record(DM_PELSWIDTH, 0, 1024, 0, 0), DISP_CHANGE_SUCCESSFUL, current},
        {"rate only", Record(DM_DISPLAYFREQUENCY, 0, 0, 0, 75), DISP_CHANGE_SUCCESSFUL, {1024, 768, 75, 32}},
        {"depth only, the same", Record(DM_BITSPERPEL, 32, 0, 0, 0), DISP_CHANGE_SUCCESSFUL, current},
        {"depth only, another", Record(DM_BITSPERPEL, 8, 0, 0, 0), DISP_CHANGE_RESTART, {}},
    };
    for (const Case& c : cases) {
        const auto choice = ChooseMode(c.record, modes, current);
        EXPECT_EQ(choice.result, c.result) << c.what;
        if (c.result == DISP_CHANGE_SUCCESSFUL) {
            EXPECT_EQ(choice.mode, c.mode) << c.what;
        }
    }
}

TEST(DisplayModes, OpenRateOfAnotherSizeTakesTheHighest) {
    const std::vector<DisplayMode> modes = {
        {800, 600, 56, 32}, {800, 600, 72, 32}, {800, 600, 60, 32}, {1024, 768, 60, 32}};
    const auto choice = ChooseMode(Record(DM_PELSWIDTH | DM_PELSHEIGHT, 0, 800, 600, 0), modes, {1024, 768, 60, 32});
    EXPECT_EQ(choice.result, DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(choice.mode, (DisplayMode{800, 600, 72, 32}));
}

}  // namespace
