// Who the running program is; each program's build supplies this record.
#pragma once

namespace frame {

struct ProgramInfo {
    const char* name;             // the deliverable's name, "blendview"
    const char* fileDescription;  // empty where the deliverable has none
};
extern const ProgramInfo ThisProgram;

// Builds Form1, raises Form_Load, shows the window and runs until the program ends.
int RunProgram(int argc, char** argv);

}  // namespace frame
