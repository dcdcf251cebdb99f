// The Winsock control on a form, reached late through its dispatch identifiers as an automation
// client would; what the control refuses comes back as a run-time error with its number.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "frame/form.h"

namespace frame {

class Winsock : public ControlRef {
public:
    using ControlRef::ControlRef;
    void setRemoteHost(std::string_view host) const;
    void setRemotePort(std::int32_t port) const;
    void Connect() const;
    void Close() const;
    void SendData(std::string_view text) const;  // sent in the system code page
    // Fills `data` with the waiting bytes, at most maxLen of them, and takes them from the queue.
    void GetData(std::vector<std::uint8_t>& data, std::int32_t maxLen) const;
};

}  // namespace frame
