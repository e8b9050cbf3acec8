#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace om6211 {

// A hardware port that could not be opened; the message names the problem and its fix.
class PortOpenError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The error for `call` ("open", "PPEXCL", "PPCLAIM", "ioperm") failing with `error` (an errno
// value; ETIMEDOUT for a claim that did not come through in time) while opening `target`
// ("/dev/parport0", "direct:378").
PortOpenError portOpenError(std::string_view target, std::string_view call, int error);

// The message of a register access (`call`: "PPWDATA", "PPWCONTROL", "PPRSTATUS") that failed
// with `error` once the port was open.
std::string portFailureMessage(std::string_view target, std::string_view call, int error);

}  // namespace om6211
