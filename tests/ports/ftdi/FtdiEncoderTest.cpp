// The FTDI encoders' golden bytes: frames as bit-bang pin states and as MPSSE commands.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "module/Db25Wiring.h"
#include "module/SerialFrame.h"
#include "ports/ftdi/FtdiBitbangEncoder.h"
#include "ports/ftdi/FtdiMpsseEncoder.h"

namespace om6211 {
namespace {

using Bytes = std::vector<uint8_t>;

// A data-register write, then a frame's bits as the driver clocks them: the data level with the
// clock low, then the clock raised.
TEST(FtdiEncoder, BitbangPinStatesOfRegisterWrites) {
  struct Case {
    FtdiPins pins;
    uint8_t dataRegister;
    uint16_t frame;
    Bytes expected;
  };
  const Case cases[] = {
      {{},
       module::db25::dataRegister(true, true),
       module::frameWord(true, 0xA5),
       {0x33, 0x32, 0x33, 0x32, 0x33, 0x30, 0x31, 0x32, 0x33, 0x30, 0x31, 0x30, 0x31, 0x32, 0x33,
        0x30, 0x31, 0x32, 0x33}},
      // Lines moved, backlight unwired; bit 0 of the data register is not on the connector, so
      // chip select (line 7) stays selected, low.
      {{.clock = 2, .data = 6, .chipSelect = 7, .reset = 0, .backlight = FtdiPins::Unwired},
       0x0F,
       module::frameWord(false, 0x21),
       {0x45, 0x01, 0x05, 0x01, 0x05, 0x01, 0x05, 0x41, 0x45, 0x01, 0x05, 0x01, 0x05, 0x01, 0x05,
        0x01, 0x05, 0x41, 0x45}},
  };
  for (const Case& c : cases) {
    module::PinLevels levels;
    Bytes pinStates{bitbangByte(c.pins, levels, Db25Register::Data, c.dataRegister)};
    for (int bit = module::FrameBits - 1; bit >= 0; --bit) {
      const bool one = ((c.frame >> bit) & 1) != 0;
      for (const uint8_t control : {module::db25::firstHalf(one), module::db25::secondHalf(one)}) {
        pinStates.push_back(bitbangByte(c.pins, levels, Db25Register::Control, control));
      }
    }
    EXPECT_EQ(pinStates, c.expected) << "frame " << c.frame;
  }
}

// The frames' bits run together: whole bytes in one "clock bytes out" (0x11, length - 1), the
// rest in one "clock bits out" (0x13, count - 1); then the set-up and the low byte's lines.
TEST(FtdiEncoder, MpsseCommandsOfFramesAndSetUp) {
  const uint16_t a = module::frameWord(false, 0x21);
  const uint16_t b = module::frameWord(true, 0xA5);
  struct Case {
    std::vector<uint16_t> frames;
    Bytes expected;
  };
  const Case cases[] = {
      {{}, {}},
      {{b}, {0x11, 0x00, 0x00, 0xD2, 0x13, 0x00, 0x80}},
      {{a, b}, {0x11, 0x01, 0x00, 0x10, 0xE9, 0x13, 0x01, 0x40}},
      {{b, b, b, b, b, b, b, b},  // eight frames fill nine bytes
       {0x11, 0x08, 0x00, 0xD2, 0xE9, 0x74, 0xBA, 0x5D, 0x2E, 0x97, 0x4B, 0xA5}},
  };
  for (const Case& c : cases) {
    Bytes commands;
    mpsse::appendFrames(commands, c.frames);
    EXPECT_EQ(commands, c.expected) << c.frames.size() << " frames";
  }
  Bytes setUp;
  mpsse::appendSetup(setUp, 60'000'000, mpsse::clockDivisor(60'000'000, 4'000'000));
  mpsse::appendSetup(setUp, 12'000'000, mpsse::clockDivisor(12'000'000, 4'000'000));
  mpsse::appendSetLowByte(setUp, 0x33, 0x3B);
  EXPECT_EQ(setUp, (Bytes{0x8A, 0x97, 0x8D, 0x85, 0x86, 0x07, 0x00, 0x85, 0x86, 0x01, 0x00, 0x80,
                          0x33, 0x3B}));
}

}  // namespace
}  // namespace om6211
