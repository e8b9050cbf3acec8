// The module's wire facts as golden values: a frame as a 9-bit word, frames packed eight into
// nine bytes, and the DB-25 wiring from register values to pin levels and back.
#include <gtest/gtest.h>

#include <vector>

#include "module/Db25Wiring.h"
#include "module/SerialFrame.h"

namespace om6211::module {
namespace {

TEST(SerialFrame, WordHasTheSelectorAboveTheValue) {
  EXPECT_EQ(frameWord(true, 0x00), 0x100);
  EXPECT_EQ(frameWord(true, 0xA5), 0x1A5);
  EXPECT_EQ(frameWord(false, 0xFF), 0x0FF);
  EXPECT_EQ(frameWord(false, 0x40), FillerFrame);
  EXPECT_EQ(GroupBytes, 9u);
}

TEST(SerialFrame, PacksFramesBackToBackMostSignificantBitFirst) {
  struct Case {
    std::vector<uint16_t> frames;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {std::vector<uint16_t>(8, 0x1FF), std::vector<uint8_t>(9, 0xFF)},
      {{0x100, 0, 0, 0, 0, 0, 0, 0}, {0x80, 0, 0, 0, 0, 0, 0, 0, 0}},
      {{0, 0, 0, 0, 0, 0, 0, 0x001}, {0, 0, 0, 0, 0, 0, 0, 0, 0x01}},
      {std::vector<uint16_t>(8, FillerFrame),
       {0x20, 0x10, 0x08, 0x04, 0x02, 0x01, 0x00, 0x80, 0x40}},
      {{0x1A5, 0x0C3, 0x155, 0x000, 0x1FF, 0x040, 0x0AA, 0x101},
       {0xD2, 0xB0, 0xEA, 0xA0, 0x0F, 0xF9, 0x01, 0x55, 0x01}},
      // A partial group: the bits after the last frame are zero.
      {{0x1FF}, {0xFF, 0x80}},
      {{0x1A5, 0x0C3, 0x155}, {0xD2, 0xB0, 0xEA, 0xA0}},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes(c.bytes.size() + 1, 0xEE);  // one byte past the end
    packFrames(c.frames, bytes.data());
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end() - 1), c.bytes);
    EXPECT_EQ(bytes.back(), 0xEE) << "wrote past the packed bytes";
  }
}

TEST(Db25Wiring, RegisterValuesOnTheWire) {
  EXPECT_EQ(db25::dataRegister(true, false), 0x0E);
  EXPECT_EQ(db25::dataRegister(true, true), 0xFE);
  EXPECT_EQ(db25::dataRegister(false, false), 0x0C);
  EXPECT_EQ(db25::dataRegister(false, true), 0xFC);
  // A bit: its data level with the clock low, then the clock raised.
  EXPECT_EQ(db25::firstHalf(false), 3);
  EXPECT_EQ(db25::secondHalf(false), 1);
  EXPECT_EQ(db25::firstHalf(true), 2);
  EXPECT_EQ(db25::secondHalf(true), 0);
}

TEST(Db25Wiring, RegisterValuesAndLevelsRoundTrip) {
  const PinLevels idle;
  for (int value = 0; value < 256; ++value) {
    PinLevels levels;
    db25::applyDataRegister(static_cast<uint8_t>(value), levels);
    EXPECT_EQ(levels.resetReleased, (value & 0x02) != 0) << value;  // pin 3
    EXPECT_EQ(levels.backlightOn, (value & 0xF0) != 0) << value;    // any of pins 6-9
    EXPECT_TRUE(levels.clock && levels.data && levels.chipSelected) << value;
    PinLevels again;
    db25::applyDataRegister(db25::dataRegister(levels.resetReleased, levels.backlightOn), again);
    EXPECT_EQ(again, levels) << value;
  }
  for (int value = 0; value < 4; ++value) {
    PinLevels levels;
    db25::applyControlRegister(static_cast<uint8_t>(value), levels);
    EXPECT_EQ(db25::controlRegister(levels.clock, levels.data), value);
    EXPECT_EQ(levels.resetReleased, idle.resetReleased);
    EXPECT_EQ(levels.backlightOn, idle.backlightOn);
    EXPECT_TRUE(levels.chipSelected);  // not on the connector: always selected
  }
}

}  // namespace
}  // namespace om6211::module
