// The controller model on frames: addressing, auto-increment and the display modes.
#include <gtest/gtest.h>

#include "panel/PanelController.h"

namespace om6211::panel {
namespace {

void command(PanelController& c, std::initializer_list<uint8_t> values) {
  for (uint8_t v : values) c.receive(false, v);
}

uint8_t ramAt(const PanelController& c, int page, int column) {
  return c.ram()[static_cast<std::size_t>(page * PanelController::Columns + column)];
}

class ScreenCounter final : public PanelObserver {
 public:
  void onFrame(bool, uint8_t) override {}
  void onScreenWritten() override { ++screens; }
  int screens = 0;
};

TEST(PanelControllerTest, PageAndColumnAddressPlaceTheNextDataByte) {
  struct Case {
    uint8_t page, high, low;
    int expectedPage, expectedColumn;
  };
  for (const Case& c : {Case{0xB0, 0x10, 0x00, 0, 0}, Case{0xB2, 0x11, 0x02, 2, 18},
                        Case{0xB5, 0x14, 0x0E, 5, 78}, Case{0xB5, 0x15, 0x03, 5, 83}}) {
    PanelController controller;
    command(controller, {c.page, c.high, c.low});
    controller.receive(true, 0x5A);
    EXPECT_EQ(ramAt(controller, c.expectedPage, c.expectedColumn), 0x5A)
        << std::hex << int(c.page) << " " << int(c.high) << " " << int(c.low);
  }
}

TEST(PanelControllerTest, DataWrapsToTheNextPageAfterColumn83AndFromPage5ToPage0) {
  PanelController controller;
  ScreenCounter counter;
  controller.observe(&counter);
  command(controller, {0xB4, 0x15, 0x03});
  controller.receive(true, 0x11);  // page 4, column 83
  controller.receive(true, 0x22);  // page 5, column 0
  EXPECT_EQ(ramAt(controller, 4, 83), 0x11);
  EXPECT_EQ(ramAt(controller, 5, 0), 0x22);
  EXPECT_EQ(counter.screens, 0);
  command(controller, {0xB5, 0x15, 0x03});
  controller.receive(true, 0x33);  // last cell: a screen is complete
  controller.receive(true, 0x44);  // page 0, column 0
  EXPECT_EQ(ramAt(controller, 0, 0), 0x44);
  EXPECT_EQ(counter.screens, 1);
}

TEST(PanelControllerTest, AColumnAddressBeyondTheGlassContinuesOnTheNextPage) {
  PanelController controller;
  command(controller, {0xB1, 0x15, 0x0F});  // column 95
  controller.receive(true, 0x77);
  EXPECT_EQ(ramAt(controller, 2, 0), 0x77);
}

TEST(PanelControllerTest, DisplayModesDecideWhatTheGlassShows) {
  PanelController controller;
  command(controller, {0xB0, 0x10, 0x00});
  controller.receive(true, 0x01);  // pixel (0, 0)
  EXPECT_FALSE(controller.glass(false).isDark(0, 0)) << "display still off";
  command(controller, {0xAF});
  EXPECT_TRUE(controller.glass(false).isDark(0, 0));
  EXPECT_FALSE(controller.glass(false).isDark(1, 0));
  command(controller, {0xA7});
  EXPECT_FALSE(controller.glass(false).isDark(0, 0));
  EXPECT_TRUE(controller.glass(false).isDark(1, 0));
  command(controller, {0xA6, 0xA5});
  EXPECT_TRUE(controller.glass(false).isDark(83, 47));
  command(controller, {0xA4});
  EXPECT_FALSE(controller.glass(false).isDark(83, 47));
  command(controller, {0xAE});
  EXPECT_FALSE(controller.glass(false).isDark(0, 0));
}

TEST(PanelControllerTest, StartLineIsTheRamRowShownAtTheTop) {
  PanelController controller;
  command(controller, {0xAF, 0xB1, 0x10, 0x00});
  controller.receive(true, 0x04);  // RAM row 10
  command(controller, {0x4A});
  EXPECT_TRUE(controller.glass(false).isDark(0, 0));
  command(controller, {0x40});
  EXPECT_TRUE(controller.glass(false).isDark(0, 10));
}

TEST(PanelControllerTest, ContrastPairShadesDarkPixels) {
  PanelController controller;
  command(controller, {0x20, 0x80});
  const double weakest = controller.glass(false).darkness;
  command(controller, {0x22, 0x90});
  const double middle = controller.glass(false).darkness;
  command(controller, {0x22, 0x9F});
  const double strongest = controller.glass(false).darkness;
  EXPECT_EQ(controller.contrastRange(), 2);
  EXPECT_EQ(controller.contrastLevel(), 0x1F);
  EXPECT_GT(weakest, 0.0);
  EXPECT_LT(weakest, middle);
  EXPECT_LT(middle, strongest);
  EXPECT_LE(strongest, 1.0);
}

TEST(PanelControllerTest, ResetCommandRestoresModesAndKeepsRam) {
  PanelController controller;
  command(controller, {0xAF, 0xA7, 0xA5, 0x47, 0x2F, 0x38, 0xB3, 0x12});
  controller.receive(true, 0x99);
  command(controller, {0xE2});
  EXPECT_FALSE(controller.displayOn());
  EXPECT_FALSE(controller.inverted());
  EXPECT_FALSE(controller.allPixelsOn());
  EXPECT_EQ(controller.startLine(), 0);
  EXPECT_EQ(controller.powerControl(), 0);
  EXPECT_EQ(controller.page(), 0);
  EXPECT_EQ(controller.column(), 0);
  EXPECT_EQ(ramAt(controller, 3, 32), 0x99);
}

TEST(PanelControllerTest, PowerCommandsOfTheInitSequenceAreKnown) {
  PanelController controller;
  command(controller, {0xE2, 0x28, 0xAE, 0xA5, 0x22, 0x9F, 0x38, 0x34, 0x3E, 0xA4, 0x40, 0x2F, 0xAF,
                       0x2E, 0x20});
  EXPECT_EQ(controller.unknownCommandCount(), 0u);
  EXPECT_EQ(controller.powerControl(), 6);
}

}  // namespace
}  // namespace om6211::panel
