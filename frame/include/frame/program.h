// Who the running program is; each program's build supplies this record.
#pragma once

namespace frame {

struct ProgramInfo {
    const char* name;             // the deliverable's name, "blendview"
    const char* fileDescription;  // empty where the deliverable has none
};
extern const ProgramInfo ThisProgram;

}  // namespace frame
