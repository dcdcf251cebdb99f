#include "recording_opener.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

namespace testsupport {

RecordingOpener::RecordingOpener(const std::string& name, int delaySeconds, const std::string& firstLine) {
    std::string pattern = (std::filesystem::temp_directory_path() / "opener-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    folder_ = pattern;
    program_ = folder_ + "/" + name;
    record_ = folder_ + "/calls";
    std::ofstream script(program_);
    script << firstLine << "\n";
    if (delaySeconds > 0) script << "sleep " << delaySeconds << "\n";
    script << "printf '%s\\0' \"$#\" \"$@\" >> '" << record_ << "'\n";
    script.close();
    chmod(program_.c_str(), 0755);
}

RecordingOpener::~RecordingOpener() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::vector<std::vector<std::string>> RecordingOpener::Calls() const {
    std::ifstream file(record_, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t end; (end = bytes.find('\0', start)) != std::string::npos; start = end + 1) {
        fields.push_back(bytes.substr(start, end - start));
    }
    std::vector<std::vector<std::string>> calls;
    for (size_t i = 0; i < fields.size();) {
        const size_t count = std::stoul(fields[i++]);
        if (i + count > fields.size()) break;  // a call still being written
        calls.emplace_back(fields.begin() + static_cast<std::ptrdiff_t>(i),
                           fields.begin() + static_cast<std::ptrdiff_t>(i + count));
        i += count;
    }
    return calls;
}

bool RecordingOpener::WaitForCalls(size_t count, int timeoutMs) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Calls().size() < count) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

PathPrefix::PathPrefix(const std::string& folder) {
    const char* path = std::getenv("PATH");
    previous_ = path != nullptr ? path : "";
    setenv("PATH", (folder + ":" + previous_).c_str(), 1);
}

PathPrefix::~PathPrefix() { setenv("PATH", previous_.c_str(), 1); }

}  // namespace testsupport
