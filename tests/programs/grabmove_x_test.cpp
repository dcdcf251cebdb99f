// grabmove as the user meets it: started as a program on Xvfb, with openbox and without a window
// manager, and dragged with the pointer through xdotool.
#include <gtest/gtest.h>

#include <initializer_list>

#include "x_program.h"

namespace {

using testsupport::Geometry;
using testsupport::Program;
using testsupport::ProgramsOnX;
using testsupport::WindowGeometry;

struct DragCase {
    const char* where;
    int x, y;  // press point in the client area: on the label, or on the strip of form around it
    int button;
    bool moves;
};

void CheckDrags(unsigned long window, std::initializer_list<DragCase> cases) {
    for (const DragCase& c : cases) {
        const auto before = WindowGeometry(window);
        ASSERT_TRUE(before);
        const int dx = 60, dy = 40;
        testsupport::Drag(before->x + c.x, before->y + c.y, before->x + c.x + dx, before->y + c.y + dy, c.button);
        Geometry expected = *before;
        if (c.moves) {
            expected.x += dx;
            expected.y += dy;
        }
        EXPECT_TRUE(testsupport::WaitUntil([&] { return WindowGeometry(window) == expected; }, 2000))
            << c.where << " button " << c.button << ": at " << WindowGeometry(window)->x << ","
            << WindowGeometry(window)->y << " from " << before->x << "," << before->y;
    }
}

TEST_F(ProgramsOnX, GrabmoveFollowsLeftDragsOnTheLabelAndTheFormOnly) {
    StartSession(true);
    std::unique_ptr<Program> grabmove;
    const unsigned long window = Show(grabmove, PROGRAM_EXECUTABLE);
    ASSERT_NE(window, 0u);
    EXPECT_EQ(WindowGeometry(window)->width, 312);   // 4680 twips
    EXPECT_EQ(WindowGeometry(window)->height, 112);  // 1680 twips
    // The label covers 8..304 x 8..96 of the 312 x 112 client area.
    CheckDrags(window, {
                           {"label", 100, 50, 1, true},
                           {"label", 100, 50, 3, false},
                           {"label", 100, 50, 2, false},
                           {"left strip", 3, 50, 1, true},
                           {"bottom strip", 150, 105, 1, true},
                           {"bottom strip", 150, 105, 3, false},
                       });
}

// Without a window manager to hand the move to, the window follows the pointer by itself.
TEST_F(ProgramsOnX, GrabmoveMovesAlsoWithoutAWindowManager) {
    StartSession(false);
    std::unique_ptr<Program> grabmove;
    const unsigned long window = Show(grabmove, PROGRAM_EXECUTABLE, false);
    ASSERT_NE(window, 0u);
    CheckDrags(window,
               {{"label", 100, 50, 1, true}, {"label", 100, 50, 3, false}, {"bottom strip", 150, 105, 1, true}});
}

}  // namespace
