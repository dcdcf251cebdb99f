// The test form's handlers write what they saw here.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace fixture {

extern std::vector<std::string> events;
// What Command1_Click does, set by each test.
extern std::function<void()> onCommand1;

}  // namespace fixture
