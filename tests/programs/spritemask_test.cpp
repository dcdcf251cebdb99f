#include <frame/form.h>
#include <frame/testing.h>

#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>

#include "program_fixture.h"

namespace {

QRgb At(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

class Spritemask : public testsupport::ProgramTest {
protected:
    void SetUp() override {
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(PROGRAM_SOURCE_DIR);  // the bitmaps are read from the working directory
        ProgramTest::SetUp();
        tile_ = frame::testing::PictureImage("Picture1");
        sprites1_ = frame::testing::PictureImage("Picture2");
        sprites2_ = frame::testing::PictureImage("Picture3");
    }
    void TearDown() override {
        ProgramTest::TearDown();
        std::filesystem::current_path(previous_);
    }
    static QImage Surface() { return frame::testing::PictureImage("Picture4"); }

    // Checks that the surface is `before` with the 32 x 32 cell at `cellX` of `source` combined in.
    static void ExpectComposed(const QImage& before, const QImage& source, int cellX, bool andOperation) {
        const QImage after = Surface();
        for (int y = 0; y < 48; ++y) {
            for (int x = 0; x < 48; ++x) {
                QRgb expected = At(before, x, y);
                if (x >= 8 && x < 40 && y >= 8 && y < 40) {
                    const QRgb cell = At(source, cellX + x - 8, y - 8);
                    expected = andOperation ? (expected & cell) : (expected | cell);
                }
                ASSERT_EQ(At(after, x, y), expected) << x << "," << y;
            }
        }
    }

    std::filesystem::path previous_;
    QImage tile_, sprites1_, sprites2_;
};

TEST_F(Spritemask, PicturesAreLoadedAndTheBoxesTakeTheirSize) {
    EXPECT_EQ(tile_.size(), QSize(16, 16));
    EXPECT_EQ(sprites1_.size(), QSize(64, 32));
    EXPECT_EQ(sprites2_.size(), QSize(64, 32));
    EXPECT_EQ(frame::testing::Widget("Picture2")->size(), QSize(64, 32));
    EXPECT_EQ(frame::testing::Widget("Picture4")->size(), QSize(48, 48));
    EXPECT_EQ(Surface().size(), QSize(48, 48));
    EXPECT_EQ(At(Surface(), 0, 0), 0xFFFFFFu);
    EXPECT_TRUE(messages_.empty());
}

TEST_F(Spritemask, BackgroundFillsTheSurfaceWithNineTiles) {
    Click("Command2");  // a sprite first: the background must wipe it
    Click("Command1");
    const QImage surface = Surface();
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 48; ++x) ASSERT_EQ(At(surface, x, y), At(tile_, x % 16, y % 16)) << x << "," << y;
    }
}

TEST_F(Spritemask, EachCompositionCombinesItsCellIntoTheMiddleSquareOnly) {
    struct Case {
        const char* button;
        int box;  // 1: pic1, 2: pic2
        int cellX;
        bool andOperation;
    };
    const Case cases[] = {
        {"Command2", 1, 32, true}, {"Command3", 1, 0, false}, {"Command4", 2, 32, false}, {"Command5", 2, 0, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        Click("Command1");
        const QImage before = Surface();
        Click(c.button);
        ExpectComposed(before, c.box == 1 ? sprites1_ : sprites2_, c.cellX, c.andOperation);
        const QImage once = Surface();
        Click(c.button);  // AND and OR are idempotent
        EXPECT_EQ(Surface(), once);
    }
}

TEST_F(Spritemask, OnTheWhiteSurfaceAndKeepsTheCellAndOrKeepsWhite) {
    const QImage white = Surface();
    Click("Command5");
    ExpectComposed(white, sprites2_, 0, true);
    frame::testing::StopProgram();
    frame::testing::StartProgram();
    Click("Command3");
    EXPECT_EQ(Surface(), white);
}

TEST_F(Spritemask, BothButtonPairsLeaveTheFighterOverTheTiles) {
    // Where pic1's mask is black the fighter shows, elsewhere the tile.
    auto expected = [&](int x, int y) {
        if (x < 8 || x >= 40 || y < 8 || y >= 40) return At(tile_, x % 16, y % 16);
        const bool silhouette = At(sprites1_, 32 + x - 8, y - 8) == 0;
        return silhouette ? At(sprites1_, x - 8, y - 8) : At(tile_, x % 16, y % 16);
    };
    for (const auto& pair : {std::pair{"Command2", "Command3"}, std::pair{"Command4", "Command5"}}) {
        SCOPED_TRACE(pair.first);
        Click("Command1");
        Click(pair.first);
        Click(pair.second);
        const QImage surface = Surface();
        for (int y = 0; y < 48; ++y) {
            for (int x = 0; x < 48; ++x) ASSERT_EQ(At(surface, x, y), expected(x, y)) << x << "," << y;
        }
    }
}

}  // namespace

TEST(SpritemaskWithoutFiles, StopsWithTheRunTimeMessageBeforeTheWindowShows) {
    const auto previous = std::filesystem::current_path();
    const auto empty = std::filesystem::temp_directory_path() / ("spritemask_empty_" + std::to_string(getpid()));
    std::filesystem::create_directories(empty);
    std::filesystem::current_path(empty);
    std::vector<std::string> messages;
    frame::testing::SetMessageBoxHook(
        [&](const std::string& title, const std::string& text) { messages.push_back(title + "|" + text); });
    frame::testing::StartProgram();
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(empty);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("spritemask|実行時エラー '53':", 0), 0u) << messages[0];
    EXPECT_NE(messages[0].find("haikei.bmp"), std::string::npos);
    EXPECT_EQ(frame::testing::EndedWith(), 1);
    EXPECT_FALSE(frame::testing::Widget("Form1")->isVisible());
    frame::testing::StopProgram();
}
