#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ports/ftdi/FtdiTransport.h"
#include "ports/portable/Remedy.h"
#include "seams/PortOpenError.h"

namespace om6211 {

// The error for the libftdi call `call` failing with `code` and libftdi's `message` while
// opening `target` ("ftdi:i:0x0403:0x6001"). `found` lists the FTDI devices on the USB; the
// message names them when no device matched. A listing that found none is reported as
// "ftdi_usb_find_all" with code 0. `remedies` are the transport's.
PortOpenError ftdiOpenError(std::string_view target, std::string_view call, int code,
                            std::string_view message, const std::vector<FtdiDeviceInfo>& found,
                            std::span<const Remedy> remedies = libftdiRemedies());

// The error for a chip that lacks the mode asked for ("MPSSE", "synchronous bit-bang").
PortOpenError ftdiModeError(std::string_view target, FtdiChip chip, std::string_view mode);

// The message of a call that failed once the adapter was open.
std::string ftdiFailureMessage(std::string_view target, std::string_view call,
                               std::string_view message);

}  // namespace om6211
