// main() of the tests that run forms: the application ends after the last test, not among the
// statics at exit, where it would outlive parts of Qt.
#include <gtest/gtest.h>

#include "frame/testing.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    frame::testing::Shutdown();
    return result;
}
