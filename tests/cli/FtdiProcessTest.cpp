// The om6211 tool on an FTDI adapter as a user runs it: a real process whose real libftdi calls
// land in the stand-in libftdi1.so.2 (tests/fakes), which logs what reached the chip. The log,
// decoded at the pins, must put on the module the glass the same command puts on the virtual
// panel; failures must end the run with status 2 and a message naming the fix.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/FtdiLog.h"
#include "support/TestFolder.h"

namespace om6211::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* Adapter = "ftdi:i:0x0403:0x6014";

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
  std::string log;  // what the stand-in libftdi logged
};

class FtdiProcessTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = om6211::testing::freshTestFolder(OM6211_TEST_FOLDER); }

  static std::string read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // Runs the tool in the test's folder with the stand-in libftdi posing as chip `chip`, its
  // `failingWrite`-th write failing unless 0.
  Outcome om6211(const std::string& arguments, const std::string& chip = "232H",
                 int failingWrite = 0) const {
    fs::remove(folder_ / "ftdi.log");
    const std::string command = "cd '" + folder_.string() + "' && LD_LIBRARY_PATH='" +
                                OM6211_FAKE_LIBFTDI_DIR + "' OM6211_FAKE_FTDI_CHIP=" + chip +
                                " OM6211_FAKE_FTDI_LOG=ftdi.log" +
                                " OM6211_FAKE_FTDI_FAIL_WRITE=" + std::to_string(failingWrite) +
                                " '" + OM6211_CLI + "' " + arguments + " >out.txt 2>err.txt";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read(folder_ / "out.txt"),
            read(folder_ / "err.txt"), read(folder_ / "ftdi.log")};
  }

  fs::path folder_;
};

std::string pixelsOf(const panel::Glass& glass) {
  std::string text;
  for (int y = 0; y < panel::Glass::Height; ++y) {
    for (int x = 0; x < panel::Glass::Width; ++x) text += glass.isDark(x, y) ? '#' : '.';
    text += '\n';
  }
  return text;
}

// The log's last line (every line ends with a newline).
std::string lastLine(std::string log) {
  if (!log.empty()) log.pop_back();
  return log.substr(log.rfind('\n') + 1);  // npos + 1: the whole of a one-line log
}

// In either mode the pins put on the module exactly the glass of the virtual panel, the chip is
// set to the mode asked for, and the adapter is closed when the run ends.
TEST_F(FtdiProcessTest, TheAdapterShowsTheGlassOfTheVirtualPanel) {
  const Outcome virtualRun =
      om6211("pattern border --port virtual --trace virtual.trace --png x.png");
  ASSERT_EQ(virtualRun.status, 0) << virtualRun.err;
  const Outcome reference = om6211("decode virtual.trace --pixels");
  ASSERT_EQ(reference.status, 0) << reference.err;
  ASSERT_NE(reference.out.find('#'), std::string::npos) << "the border is not on the glass";

  struct Case {
    const char* options;
    const char* chip;
    const char* mode;  // the mode line the chip must get
  };
  for (const Case& c : {Case{":mode=bitbang", "232R", "bitmode 3b 04"},
                        Case{":mode=mpsse", "232H", "bitmode 3b 02"}}) {
    const Outcome run = om6211(
        std::string("pattern border --port ") + Adapter + c.options + " --png x.png", c.chip);
    EXPECT_EQ(run.status, 0) << c.options << "\n" << run.err;
    EXPECT_NE(run.log.find("\n" + std::string(c.mode) + "\n"), std::string::npos) << c.options;
    panel::VirtualPanel panel;
    FtdiPinDecoder decoder(panel, FtdiPins{});
    EXPECT_EQ(replayFtdiLog(run.log, decoder), std::vector<std::string>{}) << c.options;
    EXPECT_EQ(decoder.problems, std::vector<std::string>{}) << c.options;
    EXPECT_EQ(pixelsOf(panel.glass()), reference.out) << c.options;
    EXPECT_EQ(lastLine(run.log), "close") << c.options;
  }
}

// What cannot go on ends the run with status 2, naming the libftdi call or the fix, and leaves
// the adapter closed.
TEST_F(FtdiProcessTest, FailuresEndTheRunNamingTheFix) {
  struct Case {
    std::string port;
    const char* chip;
    int failingWrite;
    std::vector<const char*> phrases;
  };
  const std::string at = std::string(" on ") + Adapter + " failed: ";
  const Case cases[] = {
      {std::string(Adapter) + ":mode=mpsse",
       "232H",
       2,
       {"ftdi_write_data", at.c_str(), "USB device unavailable", "the adapter went away"}},
      {std::string(Adapter) + ":mode=bitbang",
       "232R",
       2,
       {"ftdi_write_data_submit", at.c_str(), "the adapter went away"}},
      {std::string(Adapter) + ":mode=mpsse",
       "232R",
       0,
       {"the FT232R has no MPSSE", "mode=bitbang"}},
      {"ftdi:", "232H", 0, {"no FTDI device found", "FTDI devices found: none", "lsusb"}},
  };
  for (const Case& c : cases) {
    const Outcome run =
        om6211("pattern border --png x.png --port " + c.port, c.chip, c.failingWrite);
    EXPECT_EQ(run.status, 2) << c.port << "\n" << run.err;
    for (const char* phrase : c.phrases) {
      EXPECT_NE(run.err.find(phrase), std::string::npos) << run.err << "\n  lacks: " << phrase;
    }
    const bool opened = run.log.find("open ") != std::string::npos;
    EXPECT_EQ(opened, c.port != "ftdi:") << c.port;
    if (opened) {
      EXPECT_EQ(lastLine(run.log), "close") << c.port;
    }
    // Pin samples left over from a failed bit-bang transfer would be read as the next one's.
    if (c.port.ends_with("bitbang")) {
      EXPECT_NE(run.log.find("\npurge\n"), std::string::npos) << c.port;
    }
  }
}

}  // namespace
}  // namespace om6211::testing
