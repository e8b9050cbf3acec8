#include "ports/ftdi/FtdiMpsseEncoder.h"

#include <algorithm>

namespace om6211::mpsse {
namespace {

constexpr uint8_t ClockBytesOutFalling = 0x11;  // length - 1 (low, high byte), the bytes
constexpr uint8_t ClockBitsOutFalling = 0x13;   // count - 1, the bits in the high end of a byte
constexpr uint8_t SetLowByte = 0x80;            // levels, directions
constexpr uint8_t LoopbackOff = 0x85;
constexpr uint8_t SetDivisor = 0x86;  // low byte, high byte
constexpr uint8_t DivideBy5Off = 0x8A;
constexpr uint8_t ThreePhaseOff = 0x8D;
constexpr uint8_t AdaptiveClockOff = 0x97;

constexpr uint32_t HighSpeedBaseHz = 60'000'000;
constexpr std::size_t MaxBytesPerCommand = 65536;

}  // namespace

void appendSetup(std::vector<uint8_t>& commands, uint32_t baseHz, uint16_t divisor) {
  if (baseHz == HighSpeedBaseHz) {
    commands.insert(commands.end(), {DivideBy5Off, AdaptiveClockOff, ThreePhaseOff});
  }
  commands.insert(commands.end(), {LoopbackOff, SetDivisor, static_cast<uint8_t>(divisor),
                                   static_cast<uint8_t>(divisor >> 8)});
}

void appendSetLowByte(std::vector<uint8_t>& commands, uint8_t levels, uint8_t outputs) {
  commands.insert(commands.end(), {SetLowByte, levels, outputs});
}

void appendFrames(std::vector<uint8_t>& commands, std::span<const uint16_t> frames) {
  if (frames.empty()) return;
  std::vector<uint8_t> packed(packedSize(frames.size()));
  module::packFrames(frames, packed.data());
  const std::size_t bits = frames.size() * module::FrameBits;
  const std::size_t whole = bits / 8;
  for (std::size_t start = 0; start < whole; start += MaxBytesPerCommand) {
    const std::size_t count = std::min(MaxBytesPerCommand, whole - start);
    commands.insert(commands.end(), {ClockBytesOutFalling, static_cast<uint8_t>(count - 1),
                                     static_cast<uint8_t>((count - 1) >> 8)});
    commands.insert(commands.end(), packed.begin() + static_cast<std::ptrdiff_t>(start),
                    packed.begin() + static_cast<std::ptrdiff_t>(start + count));
  }
  if (const std::size_t rest = bits % 8; rest != 0) {
    commands.insert(commands.end(),
                    {ClockBitsOutFalling, static_cast<uint8_t>(rest - 1), packed.back()});
  }
}

}  // namespace om6211::mpsse
