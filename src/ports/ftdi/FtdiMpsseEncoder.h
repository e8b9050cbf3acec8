#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "module/SerialFrame.h"

// The MPSSE commands that put the module's frames and lines on an adapter's low byte: clock on
// ADBUS0 (idle high), data on ADBUS1, changing on the falling edge so that the controller
// samples it on the rising one.
namespace om6211::mpsse {

// The clock divisor that runs the engine at no more than `maxHz` from its `baseHz`:
// the clock is baseHz / ((1 + divisor) * 2).
constexpr uint16_t clockDivisor(uint32_t baseHz, uint32_t maxHz) {
  return static_cast<uint16_t>((baseHz + 2 * maxHz - 1) / (2 * maxHz) - 1);
}
constexpr uint32_t clockHz(uint32_t baseHz, uint16_t divisor) {
  return baseHz / ((1u + divisor) * 2u);
}

// The bytes `frames` frames take once their bits run together.
constexpr std::size_t packedSize(std::size_t frames) {
  return (frames * module::FrameBits + 7) / 8;
}

// Appends the set-up of an engine whose clock before the divisor is `baseHz`: on the 60 MHz
// engines of the H series divide-by-5, adaptive and three-phase clocking off; then loopback
// off and the divisor.
void appendSetup(std::vector<uint8_t>& commands, uint32_t baseHz, uint16_t divisor);
// Appends "set the low byte": the levels of ADBUS0-7 and which of them are outputs.
void appendSetLowByte(std::vector<uint8_t>& commands, uint8_t levels, uint8_t outputs);
// Appends the frames (9-bit words) clocked out back to back, most significant bit first: the
// whole bytes as "clock bytes out" commands, the bits left as one "clock bits out" command.
void appendFrames(std::vector<uint8_t>& commands, std::span<const uint16_t> frames);

}  // namespace om6211::mpsse
