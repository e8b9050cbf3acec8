#pragma once

#include <memory>

#include "ports/ftdi/FtdiTransport.h"

namespace om6211 {

// A transport through FTDI's D2XX driver on Windows (FTD2XX.DLL, loaded when a device is first
// listed or opened). Descriptions: i:VENDOR:PRODUCT[:INDEX] and s:VENDOR:PRODUCT:SERIAL;
// d:BUS/DEVICE has no meaning there and is refused. Its statuses are the negated FT_STATUS
// codes, and DriverMissing when FTD2XX.DLL cannot be had.
std::unique_ptr<FtdiTransport> newD2xxTransport();

}  // namespace om6211
