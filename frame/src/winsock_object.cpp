#include "controls.h"

namespace frame {

// Placeholder until the Winsock adapter lands.
std::unique_ptr<ControlObject> CreateWinsockObject(ControlDescription description) {
    throw std::invalid_argument("no Winsock control yet: " + description.FullName());
}

}  // namespace frame
