#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "ports/linux/HardwarePortErrors.h"
#include "ports/linux/SystemCalls.h"

namespace om6211 {

// Lines of one GPIO chip held as outputs through the kernel's GPIO character device (uAPI v2):
// one request for all of them, with consumer "om6211", and from then on their levels set and
// read under a mask whose bit i is the i-th line of the request. Closing releases them.
class GpioLines {
 public:
  // Opens `chip` (a path, or the name or label of one of /dev/gpiochip0-63) and requests
  // `offsets` as outputs at `levels` (bit i for offsets[i]). Raises PortOpenError, leaving
  // nothing open, when the chip is missing or barred, lacks a line, or a line is in use (the
  // message names its consumer).
  GpioLines(const std::string& chip, std::span<const uint32_t> offsets, uint64_t levels,
            SystemCalls& calls);
  GpioLines(const GpioLines&) = delete;
  GpioLines& operator=(const GpioLines&) = delete;
  ~GpioLines();

  // The chip's device path.
  const std::string& path() const { return path_; }
  // The levels the lines were last set to.
  uint64_t levels() const { return levels_; }

  // Sets the lines of `mask` to their bits of `levels` in one call; nothing for an empty mask.
  // Returns 0, or the errno of a call that failed (the lines then keep their levels).
  int set(uint64_t levels, uint64_t mask);
  // Reads the levels of all lines: one call, the gpio back end's delay unit. Returns 0 or errno.
  int read();

  // The consumer "om6211" the lines are requested for.
  static constexpr const char* Consumer = "om6211";

 private:
  std::string path_;
  SystemCalls* calls_;
  int fd_ = -1;
  uint64_t all_ = 0;
  uint64_t levels_ = 0;
};

}  // namespace om6211
