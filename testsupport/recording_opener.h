// A stand-in for xdg-open, written into a temporary folder: each start appends its argument count
// and arguments, every one NUL-terminated, to a record file beside it.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

class RecordingOpener {
public:
    // `name` is the program's file name in the folder ("xdg-open"); `firstLine` its interpreter line;
    // `delaySeconds` how long it waits before recording, as a slow application would.
    explicit RecordingOpener(const std::string& name = "xdg-open", int delaySeconds = 0,
                             const std::string& firstLine = "#!/bin/sh");
    ~RecordingOpener();
    RecordingOpener(const RecordingOpener&) = delete;
    RecordingOpener& operator=(const RecordingOpener&) = delete;

    const std::string& folder() const { return folder_; }
    const std::string& program() const { return program_; }
    // Every start so far, each as its argument list.
    std::vector<std::vector<std::string>> Calls() const;
    // Waits up to `timeoutMs` for at least `count` starts to have been recorded.
    bool WaitForCalls(size_t count, int timeoutMs) const;

private:
    std::string folder_;
    std::string program_;
    std::string record_;
};

// PATH with `folder` in front, for the life of the object.
class PathPrefix {
public:
    explicit PathPrefix(const std::string& folder);
    ~PathPrefix();
    PathPrefix(const PathPrefix&) = delete;
    PathPrefix& operator=(const PathPrefix&) = delete;

private:
    std::string previous_;
};

}  // namespace testsupport
