// The tool on a fake parallel port and on the virtual panel, in process: every way a run on a
// real port ends leaves it released, and the bring-up tools put the right levels on the lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "cli/PanelSession.h"
#include "cli/RunStop.h"
#include "cli/TestPatterns.h"
#include "cli/Tool.h"
#include "host/PortFactory.h"
#include "host/TraceReader.h"
#include "panel/VirtualPanel.h"
#include "render/GlyphTable.h"
#include "support/FakeBoard.h"
#include "support/FakeFtdi.h"
#include "support/FakeParallelPort.h"
#include "support/FtdiPinDecoder.h"

namespace om6211::cli {
namespace {

using testing::FakeParallelPort;

struct Outcome {
  int status;
  std::string err;
  std::string out;
};

Outcome runOn(const HardwareCalls& fake, const std::vector<std::string>& arguments) {
  bindHardwareCalls(fake);
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  const int status = runTool(arguments);
  std::string out = ::testing::internal::GetCapturedStdout();
  return {status, ::testing::internal::GetCapturedStderr(), out};
}

bool startsWith(const std::string& entry, const std::string& prefix) {
  return entry.rfind(prefix, 0) == 0;
}

// A claimed port was claimed before any register was touched and released after the last.
void expectClaimedAndReleased(const std::vector<std::string>& log, bool direct) {
  ASSERT_GE(log.size(), 4u);
  if (direct) {
    // The port base's lock file is held from before the grant until after it is withdrawn.
    EXPECT_EQ(log[0], "open /run/lock/om6211-direct-378.lock");
    EXPECT_EQ(log[1], "flock");
    EXPECT_EQ(log[2], "ioperm 378 3 on");
    EXPECT_EQ(log[log.size() - 2], "ioperm 378 3 off");
    EXPECT_EQ(log.back(), "close");
  } else {
    EXPECT_EQ(log[2], "PPCLAIM");
    EXPECT_EQ(log[log.size() - 2], "PPRELEASE");
    EXPECT_EQ(log.back(), "close");
  }
}

TEST(HardwareSession, EveryWayOutLeavesThePortReleased) {
  struct Case {
    const char* port;
    const char* call;  // the call to fail, "" for none
    int error;
    int occurrence;
    int status;
    const char* message;
    bool claimed;
    const char* trace = nullptr;  // the trace file to ask for
  };
  const Case cases[] = {
      {"ppdev:/dev/parport0", "", 0, 0, 0, "", true},
      {"direct:378", "", 0, 0, 0, "", true},
      {"ppdev:/dev/parport0", "open", ENOENT, 1, 2, "no such device", false},
      {"ppdev:/dev/parport0", "open", EACCES, 1, 2, "lp group", false},
      {"ppdev:/dev/parport0", "PPCLAIM", EBUSY, 1, 2, "rmmod lp", false},
      {"direct:378", "ioperm", EPERM, 1, 2, "CAP_SYS_RAWIO", false},
      {"ppdev:/dev/parport0", "PPWCONTROL", EIO, 300, 2,
       "LCD_Init failed: PPWCONTROL on /dev/parport0 failed: Input/output error; the device "
       "went away",
       true},
      {"ppdev:/dev/parport0", "PPWDATA", ENXIO, 2, 2, "PPWDATA on /dev/parport0 failed", true},
      {"direct:zz", "", 0, 0, 2, "unknown port back end 'direct:zz'", false},
      {"ppdev:/dev/parport0", "", 0, 0, 2, "cannot write the trace /nonexistent-folder/t.trace",
       true, "/nonexistent-folder/t.trace"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.port) + " " + c.call);
    FakeParallelPort fake;
    if (*c.call != '\0') fake.failCall(c.call, c.error, c.occurrence);
    std::vector<std::string> arguments{"pattern", "checker", "--port", c.port};
    if (c.trace != nullptr) arguments.insert(arguments.end(), {"--trace", c.trace});
    const Outcome outcome = runOn(fake, arguments);
    EXPECT_EQ(outcome.status, c.status);
    EXPECT_NE(outcome.err.find(c.message), std::string::npos) << outcome.err;
    const std::vector<std::string> log = fake.log();
    if (c.claimed) {
      expectClaimedAndReleased(log, std::string(c.port).starts_with("direct"));
    } else {
      EXPECT_TRUE(fake.operations().empty());
      for (const std::string& entry : log) EXPECT_FALSE(startsWith(entry, "PPRELEASE"));
      if (log.size() > 1 && startsWith(log.front(), "open")) {
        EXPECT_EQ(log.back(), "close");
      }
    }
  }
}

// Ctrl-C in the middle of a call: the call finishes, nothing more is sent, the port is released
// and the tool ends with 128 + SIGINT.
TEST(HardwareSession, StopSignalFinishesTheCallThenReleases) {
  installStopHandlers();
  FakeParallelPort fake;
  fake.onCall("PPWCONTROL", 300, [] { std::raise(SIGINT); });
  const Outcome outcome = runOn(fake, {"pattern", "checker", "--port", "ppdev:/dev/parport0"});
  EXPECT_EQ(outcome.status, 128 + SIGINT);
  EXPECT_NE(outcome.err.find("stopped by SIGINT"), std::string::npos) << outcome.err;
  const std::vector<std::string> log = fake.log();
  expectClaimedAndReleased(log, false);
  // The call in progress (LCD_Init) was finished: only whole frames of 18 clock writes.
  const auto controlWrites = std::count_if(log.begin(), log.end(), [](const std::string& entry) {
    return startsWith(entry, "PPWCONTROL");
  });
  EXPECT_GT(controlWrites, 300);
  EXPECT_EQ(controlWrites % 18, 0);
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::filesystem::path scratch(const std::string& name) {
  return std::filesystem::temp_directory_path() /
         ("om6211-hardware-session-" + std::to_string(::getpid()) + "-" + name);
}

// The last screen of the text pattern: glyphs c8 to ff fill the top four rows of cells.
HostBitmap lastTextScreen() {
  HostBitmap screen{};
  for (int cell = 0; cell < 56; ++cell) {
    const auto glyph = glyphFor(static_cast<uint8_t>(0xC8 + cell), GlyphVariant::Default);
    for (int x = 0; x < 5; ++x) {
      for (int y = 0; y < 8; ++y) {
        screen[static_cast<std::size_t>(cell % 14 * 6 + x + (cell / 14 * 8 + y) * 84)] =
            (glyph[static_cast<std::size_t>(x)] >> y) & 1;
      }
    }
  }
  return screen;
}

// The pattern as the virtual panel rebuilt it from the traffic equals the picture asked for.
TEST(BringUpTools, PatternsReachTheGlass) {
  struct Case {
    const char* name;
    int lit;
    const char* port;
  };
  // The driver keeps both planes of its frame memory from run to run in one process: the text
  // pattern comes last, after all-off has cleared the graphics plane.
  const Case cases[] = {{"border", 2 * 84 + 2 * 46, "virtual"},
                        {"checker", 84 * 24, "virtual:278"},
                        {"all-on", 84 * 48, "virtual"},
                        {"columns", 42 * 48, "virtual"},
                        {"pages", 84 * 21, "virtual"},
                        {"all-off", 0, "virtual"},
                        {"text", 401, "virtual"}};
  FakeParallelPort unused;
  for (const Case& c : cases) {
    const std::filesystem::path trace = scratch(c.name);
    ASSERT_EQ(
        runOn(unused, {"pattern", c.name, "--port", c.port, "--trace", trace.string()}).status, 0);
    panel::VirtualPanel panel(parsePortSelection(c.port).base);
    readTrace(readFile(trace), [&](const PortOperation& op) {
      op.kind == PortOperation::Kind::Out ? panel.write(op.number, op.value)
                                          : static_cast<void>(panel.read(op.number));
    });
    std::filesystem::remove(trace);
    const panel::Glass glass = panel.glass();
    const HostBitmap expected =
        c.name == std::string("text") ? lastTextScreen() : *patternBitmap(c.name);
    int lit = 0;
    for (int y = 0; y < 48; ++y) {
      for (int x = 0; x < 84; ++x) {
        lit += glass.isDark(x, y);
        ASSERT_EQ(glass.isDark(x, y), expected[static_cast<std::size_t>(x + y * 84)] != 0)
            << c.name << " at " << x << "," << y;
      }
    }
    EXPECT_EQ(lit, c.lit) << c.name;
  }
  EXPECT_EQ(runOn(unused, {"pattern", "zebra"}).status, 2);
}

TEST(BringUpTools, WiringHoldsOneSignalHighAtATime) {
  const std::filesystem::path trace = scratch("wiring");
  FakeParallelPort unused;
  ASSERT_EQ(runOn(unused, {"wiring", "--hold", "0", "--trace", trace.string()}).status, 0);
  std::vector<std::string> lines;
  readTrace(readFile(trace), [&](const PortOperation& op) {
    char line[32];
    std::snprintf(line, sizeof line, "%x %02x", op.number, op.value);
    lines.push_back(line);
  });
  std::filesystem::remove(trace);
  // Rest (all pins low), pin 1, pin 14, pin 3, pins 4-5, pins 6-9, rest.
  const std::vector<std::string> expected = {"378 00", "37a 03", "378 00", "37a 02", "378 00",
                                             "37a 01", "378 02", "37a 03", "378 0c", "37a 03",
                                             "378 f0", "37a 03", "378 00", "37a 03"};
  EXPECT_EQ(lines, expected);
}

// A board wired as the selections below name its lines.
void wireBoard(testing::FakeBoard& board) {
  using Pin = testing::FakeBoard::Pin;
  board.wire("/dev/gpiochip0", 10, Pin::Data);
  board.wire("/dev/gpiochip0", 11, Pin::Clock);
  board.wire("/dev/gpiochip0", 25, Pin::Reset);
  board.wire("/dev/gpiochip0", 18, Pin::Backlight);
}

const char* const GpioWiring = "gpio:gpiochip0:clk=11,din=10,res=25,light=18";
const char* const SpiWiring = "spi:/dev/spidev0.0:res=gpiochip0/25,light=gpiochip0/18";

// A pattern on the board's glass, and on the virtual panel rebuilt from the trace, which on a
// bus is the parallel-port traffic of the same frames.
TEST(BoardSessions, PatternReachesTheBoardsGlassAndTheTrace) {
  // The text pattern: the text plane it fills does not depend on the runs before it.
  const HostBitmap expected = lastTextScreen();
  for (const auto& [port, nineBits] :
       {std::pair{GpioWiring, true}, {SpiWiring, true}, {SpiWiring, false}}) {
    SCOPED_TRACE(port);
    testing::FakeBoard board;
    board.spiTakesNineBits = nineBits;
    wireBoard(board);
    const std::filesystem::path trace = scratch("board");
    const Outcome outcome =
        runOn(board, {"pattern", "text", "--hold", "0", "--port", port, "--trace", trace.string()});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    panel::VirtualPanel panel;
    readTrace(readFile(trace), [&](const PortOperation& op) {
      if (op.kind == PortOperation::Kind::Out) panel.write(op.number, op.value);
    });
    std::filesystem::remove(trace);
    for (const panel::Glass& glass : {board.module.glass(), panel.glass()}) {
      for (int i = 0; i < 84 * 48; ++i) {
        ASSERT_EQ(glass.isDark(i % 84, i / 84), expected[static_cast<std::size_t>(i)] != 0) << i;
      }
    }
    EXPECT_TRUE(board.openFds().empty());
  }
  testing::FakeBoard board;
  const Outcome missing =
      runOn(board, {"pattern", "checker", "--port", "spi:/dev/spidev1.0:res=gpiochip0/25"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("dtparam=spi=on"), std::string::npos) << missing.err;
  // Another program drives the display: the tool never sends, naming the holder.
  board.lockedBy["/dev/spidev0.0"] = {1234, "LCDd"};
  const Outcome held = runOn(board, {"pattern", "checker", "--port", SpiWiring});
  EXPECT_EQ(held.status, 2);
  EXPECT_NE(held.err.find("/dev/spidev0.0 is in use by process 1234 (LCDd)"), std::string::npos)
      << held.err;
  EXPECT_TRUE(board.transfers.empty());
  board.lockedBy.clear();
  // The device goes away during the initialisation: the run stops, reporting the call.
  board.failCall("SPI_IOC_MESSAGE", ENODEV, 2);
  const Outcome gone = runOn(board, {"pattern", "checker", "--port", SpiWiring});
  EXPECT_EQ(gone.status, 2);
  EXPECT_NE(gone.err.find("LCD_Init failed: SPI_IOC_MESSAGE on /dev/spidev0.0 failed"),
            std::string::npos)
      << gone.err;
  EXPECT_TRUE(board.openFds().empty());
}

// A device unplugged during a run: without --retry the run stops at the next call; with it the
// run goes on, one line saying the device went away and none per call, and ends saying it was
// still away (the reopening itself is the reconnect tests' business).
TEST(BoardSessions, RunWithRetryGoesOnWhileTheDeviceIsAway) {
  const std::filesystem::path script = scratch("retry.script");
  std::ofstream(script) << "LCD_SetIOPropertys \"378\" 0 0 14 6 84 48 1 1 128\nLCD_Init\n"
                           "LCD_SetOutputAddress 0 1\nLCD_SetOutputAddress 0 2\n";
  for (const bool retry : {false, true}) {
    SCOPED_TRACE(retry ? "--retry" : "without --retry");
    testing::FakeBoard board;
    wireBoard(board);
    board.unplugAt("/dev/spidev0.0", "SPI_IOC_MESSAGE", 2);  // during the initialisation
    std::vector<std::string> arguments{"run", script.string(), "--port", SpiWiring};
    if (retry) arguments.emplace_back("--retry");
    const Outcome outcome = runOn(board, arguments);
    EXPECT_EQ(outcome.status, 2) << outcome.err;
    auto count = [&](const std::string& phrase) {
      std::size_t n = 0;
      for (std::size_t at = 0; (at = outcome.err.find(phrase, at)) != std::string::npos; ++at) ++n;
      return n;
    };
    if (retry) {
      EXPECT_EQ(count("is closed and reopened once a second"), 1u) << outcome.err;
      EXPECT_EQ(count(" failed: "), 1u) << outcome.err;  // the line saying why it went away
      EXPECT_EQ(count(" call(s) of " + script.string() + " failed while /dev/spidev0.0 was away"),
                1u)
          << outcome.err;
      EXPECT_EQ(count("/dev/spidev0.0 was still away at the end of the run"), 1u) << outcome.err;
    } else {
      EXPECT_EQ(count("the run was stopped: /dev/spidev0.0 failed"), 1u) << outcome.err;
    }
    EXPECT_TRUE(board.openFds().empty());
  }
  std::filesystem::remove(script);
}

// The wiring check of a board steps through its lines, ending with all of them low.
TEST(BoardSessions, WiringStepsThroughTheBoardsLines) {
  for (const auto& [port, steps] :
       {std::pair{GpioWiring, "Step 4 of 4: backlight (light), line 18"},
        {SpiWiring, "Step 3 of 3: serial clock and data"}}) {
    testing::FakeBoard board;
    wireBoard(board);
    const Outcome outcome = runOn(board, {"wiring", "--hold", "0", "--port", port});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(outcome.out.find(steps), std::string::npos) << outcome.out;
    EXPECT_TRUE(board.module.inReset()) << port << ": the reset line was left high";
    EXPECT_FALSE(board.module.backlight()) << port;
    EXPECT_TRUE(board.openFds().empty()) << port;
  }
}

// On an FTDI adapter, in either mode, a pattern reaches the module's glass and the wiring check
// steps through the adapter's lines, ending with all of them low.
TEST(FtdiSessions, PatternReachesTheGlassAndWiringStepsTheAdaptersLines) {
  const HostBitmap expected = lastTextScreen();
  for (const auto& [port, chip] :
       {std::pair{"ftdi:i:0x0403:0x6001:mode=bitbang", FtdiChip::R}, {"ftdi:", FtdiChip::Ft232h}}) {
    SCOPED_TRACE(port);
    panel::VirtualPanel module;
    testing::FtdiPinDecoder decoder(module, FtdiPins{});
    int adaptersOpen = 0;
    testing::FakeParallelPort noKernel;
    const HardwareCalls calls(noKernel, [&, chip] {
      auto adapter = std::make_unique<testing::FakeFtdi>();
      adapter->chip = chip;
      adapter->onBytes = [&](std::span<const uint8_t> bytes) { decoder.take(bytes); };
      adapter->onMode = [&](uint8_t outputs, FtdiBitmode mode) {
        decoder.setMode(outputs, mode);
        adaptersOpen += mode == FtdiBitmode::Reset ? 0 : 1;
      };
      return adapter;
    });
    const Outcome pattern = runOn(calls, {"pattern", "text", "--hold", "0", "--port", port});
    ASSERT_EQ(pattern.status, 0) << pattern.err;
    for (int i = 0; i < 84 * 48; ++i) {
      ASSERT_EQ(module.glass().isDark(i % 84, i / 84), expected[static_cast<std::size_t>(i)] != 0)
          << i;
    }
    const Outcome wiring = runOn(calls, {"wiring", "--hold", "0", "--port", port});
    EXPECT_EQ(wiring.status, 0) << wiring.err;
    EXPECT_NE(wiring.out.find("Step 5 of 5: chip select (cs), ADBUS3 of ftdi:"), std::string::npos)
        << wiring.out;
    EXPECT_TRUE(module.inReset()) << "the reset line was left high";
    EXPECT_GT(adaptersOpen, 1);
    EXPECT_TRUE(decoder.problems.empty()) << decoder.problems.front();
  }
  bindHardwareCalls(std::nullopt);
}

}  // namespace
}  // namespace om6211::cli
