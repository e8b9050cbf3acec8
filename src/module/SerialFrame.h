#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace om6211::module {

// The controller's serial frame: nine bits, most significant first, sampled on the rising
// clock edge. The first is the selector (1 display data, 0 a command), then the eight bits of
// the value.
inline constexpr int FrameBits = 9;

// A frame as one 9-bit word: the selector in bit 8, the value in bits 7-0.
constexpr uint16_t frameWord(bool isData, uint8_t value) {
  return static_cast<uint16_t>((isData ? 0x100u : 0u) | value);
}

// Buses that move whole bytes carry frames back to back: eight frames fill nine bytes exactly,
// so a transfer of whole groups never ends inside a frame.
inline constexpr std::size_t FramesPerGroup = 8;
inline constexpr std::size_t GroupBytes = FramesPerGroup * FrameBits / 8;

// A frame with no effect, to fill a group: the command "start line 0" (0x40), which the
// initialisation has set already and nothing changes.
inline constexpr uint16_t FillerFrame = 0x040;

// Writes the bits of `frames` back to back, most significant first, into `bytes`, which holds
// at least (frames.size() * 9 + 7) / 8 bytes; bits past the last frame are zero.
inline void packFrames(std::span<const uint16_t> frames, uint8_t* bytes) {
  const std::size_t size = (frames.size() * FrameBits + 7) / 8;
  for (std::size_t i = 0; i < size; ++i) bytes[i] = 0;
  std::size_t bit = 0;
  for (uint16_t frame : frames) {
    for (int i = FrameBits - 1; i >= 0; --i, ++bit) {
      if ((frame >> i) & 1u) bytes[bit / 8] |= static_cast<uint8_t>(0x80u >> (bit % 8));
    }
  }
}

}  // namespace om6211::module
