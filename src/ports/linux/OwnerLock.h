#pragma once

#include <string>
#include <string_view>

#include "ports/linux/HardwarePortErrors.h"
#include "ports/linux/SystemCalls.h"

namespace om6211 {

// One program at a time drives a display: an exclusive advisory lock (flock) on a file that
// stands for it, the device node itself or a lock file, held for as long as the file is open.
//
// Takes the lock on `fd` without waiting. Raises PortOpenError naming the holder ("/dev/spidev0.0
// is in use by process 1234 (LCDd)") when another open file holds it; a file system without
// locks leaves the display unlocked.
void lockOwnership(SystemCalls& calls, int fd, std::string_view target);

// The holder of the lock on the file open on `fd`, as /proc/locks and /proc/PID/comm tell it:
// "process 1234 (LCDd)"; "another process" when they do not.
std::string lockHolder(SystemCalls& calls, int fd);

}  // namespace om6211
