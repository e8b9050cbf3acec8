// The LCDd module through a driver record built here, as LCDd builds it: the module's exported
// functions, the server's configuration calls answered from a map, the glass of the virtual
// panel as the judge.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "host/PortFactory.h"
#include "lcdproc/LcddModule.h"
#include "lcdproc/ModuleInstance.h"
#include "support/FakeBoard.h"
#include "support/FakeFtdi.h"
#include "support/FakeParallelPort.h"
#include "support/FtdiPinDecoder.h"

namespace {

using Cell = std::pair<int, int>;  // (column, row), 0-based
using Config = std::map<std::string, std::string>;

std::map<std::string, Config> sections;  // the server's configuration, by section

// `skip` counts the occurrences of a repeated key to pass over; here each key occurs once.
const char* configString(const char* section, const char* key, int skip, const char* fallback) {
  const auto& keys = sections[section];
  const auto value = keys.find(key);
  return skip != 0 || value == keys.end() ? fallback : value->second.c_str();
}
int configHasKey(const char* section, const char* key) {
  return static_cast<int>(sections[section].count(key));
}
int storePrivate(LcddRecord* record, void* data) {
  record->private_data = data;
  return 0;
}

// One loaded section: the record LCDd would fill, initialised with `config` (Port=virtual
// unless given).
class Module {
 public:
  explicit Module(Config config, std::string section = "om6211") : name_(std::move(section)) {
    config.try_emplace("Port", "virtual");
    sections[name_] = std::move(config);
    record_.name = name_.data();
    record_.store_private_ptr = storePrivate;
    record_.config_get_string = configString;
    record_.config_has_key = configHasKey;
    initResult = om6211_init(&record_);
  }
  ~Module() { om6211_close(&record_); }

  LcddRecord* operator&() { return &record_; }
  // Clears, lets `draw` call the module, flushes, and returns the cells that show pixels.
  template <typename Draw>
  std::set<Cell> litCells(Draw&& draw) {
    om6211_clear(&record_);
    draw(&record_);
    om6211_flush(&record_);
    std::set<Cell> cells;
    const auto glass = instance().glass();
    for (int y = 0; y < 48; ++y) {
      for (int x = 0; x < 84; ++x) {
        if (glass->isDark(x, y)) cells.insert({x / 6, y / 8});
      }
    }
    return cells;
  }
  om6211::panel::Glass glass() { return *instance().glass(); }
  om6211::lcdd::ModuleInstance& instance() {
    return *static_cast<om6211::lcdd::ModuleInstance*>(record_.private_data);
  }

  int initResult;

 private:
  std::string name_;
  LcddDriverRecord record_{};
};

std::set<Cell> block(int column0, int row0, int column1, int row1) {
  std::set<Cell> cells;
  for (int c = column0; c <= column1; ++c) {
    for (int r = row0; r <= row1; ++r) cells.insert({c, r});
  }
  return cells;
}

// A big 0 from cell `column`: its sides top to bottom, its middle only at the top and bottom.
std::set<Cell> hollow(int column) {
  std::set<Cell> cells = block(column, 0, column, 5);
  cells.merge(block(column + 2, 0, column + 2, 5));
  cells.merge(std::set<Cell>{{column + 1, 0}, {column + 1, 5}});
  return cells;
}

// A big 8 from cell 13: its right part is cut off at the display's edge.
std::set<Cell> clippedEight() {
  std::set<Cell> cells = block(12, 0, 12, 5);
  cells.merge(std::set<Cell>{{13, 0}, {13, 2}, {13, 5}});
  return cells;
}

TEST(LcddModule, ReportsTheDisplayModel) {
  Module module({});
  ASSERT_EQ(module.initResult, 0);
  EXPECT_EQ(om6211_width(&module), 14);
  EXPECT_EQ(om6211_height(&module), 6);
  EXPECT_EQ(om6211_cellwidth(&module), 6);
  EXPECT_EQ(om6211_cellheight(&module), 8);
  EXPECT_EQ(om6211_get_free_chars(&module), 31);
  EXPECT_NE(std::string(om6211_get_info(&module)).find("virtual panel"), std::string::npos);
}

TEST(LcddModule, WidgetsAreClippedAtEveryEdge) {
  struct Case {
    const char* what;
    void (*draw)(LcddRecord*);
    std::set<Cell> lit;
  };
  const Case cases[] = {
      {"string at the origin",
       [](LcddRecord* r) { om6211_string(r, 1, 1, "AB"); },
       {{0, 0}, {1, 0}}},
      {"string from column 0", [](LcddRecord* r) { om6211_string(r, 0, 1, "AB"); }, {{0, 0}}},
      {"string from the left", [](LcddRecord* r) { om6211_string(r, -5, 2, "ABCDEFG"); }, {{0, 1}}},
      {"string at the far corner", [](LcddRecord* r) { om6211_string(r, 14, 6, "AB"); }, {{13, 5}}},
      {"string past the right", [](LcddRecord* r) { om6211_string(r, 15, 1, "A"); }, {}},
      {"string below", [](LcddRecord* r) { om6211_string(r, 1, 7, "A"); }, {}},
      {"string above", [](LcddRecord* r) { om6211_string(r, 1, 0, "A"); }, {}},
      {"string at INT_MIN", [](LcddRecord* r) { om6211_string(r, INT_MIN, 1, "A"); }, {}},
      {"string at INT_MAX", [](LcddRecord* r) { om6211_string(r, INT_MAX, 1, "A"); }, {}},
      {"null string", [](LcddRecord* r) { om6211_string(r, 1, 1, nullptr); }, {}},
      {"chr at the far corner", [](LcddRecord* r) { om6211_chr(r, 14, 6, 'A'); }, {{13, 5}}},
      {"chr past the corner", [](LcddRecord* r) { om6211_chr(r, 15, 7, 'A'); }, {}},
      {"chr at -1", [](LcddRecord* r) { om6211_chr(r, -1, -1, 'A'); }, {}},
      {"num 0", [](LcddRecord* r) { om6211_num(r, 1, 0); }, hollow(0)},
      {"num colon", [](LcddRecord* r) { om6211_num(r, 1, 10); }, block(0, 1, 0, 4)},
      {"num clipped", [](LcddRecord* r) { om6211_num(r, 13, 8); }, clippedEight()},
      {"num -1", [](LcddRecord* r) { om6211_num(r, 1, -1); }, {}},
      {"num 11", [](LcddRecord* r) { om6211_num(r, 1, 11); }, {}},
      {"num past the right", [](LcddRecord* r) { om6211_num(r, 15, 8); }, {}},
      {"num at INT_MIN", [](LcddRecord* r) { om6211_num(r, INT_MIN, 8); }, {}},
      {"icon at the far corner", [](LcddRecord* r) { om6211_icon(r, 14, 6, 0x100); }, {{13, 5}}},
      {"icon past the corner", [](LcddRecord* r) { om6211_icon(r, 15, 6, 0x100); }, {}},
      {"unknown icon", [](LcddRecord* r) { om6211_icon(r, 1, 1, 0x101); }, {}},
      {"heartbeat", [](LcddRecord* r) { om6211_heartbeat(r, 1); }, {{13, 0}}},
      {"heartbeat off", [](LcddRecord* r) { om6211_heartbeat(r, 0); }, {}},
      {"cursor off the grid", [](LcddRecord* r) { om6211_cursor(r, 15, 1, 4); }, {}},
  };
  Module module({});
  for (const Case& c : cases) EXPECT_EQ(module.litCells(c.draw), c.lit) << c.what;
}

TEST(LcddModule, IconsAreDrawnOrRefused) {
  Module module({});
  const int known[] = {0x100, 0x108, 0x109, 0x110, 0x111, 0x112, 0x113, 0x120, 0x121, 0x122, 0x128,
                       0x129, 0x130, 0x200, 0x201, 0x202, 0x203, 0x204, 0x205, 0x206, 0x207, 0x208};
  for (int code : known) EXPECT_EQ(om6211_icon(&module, 1, 1, code), 0) << std::hex << code;
  for (int code : {-1, 0, 0x101, 0x209, INT_MAX}) {
    EXPECT_EQ(om6211_icon(&module, 1, 1, code), -1) << std::hex << code;
  }
}

// Bars over every edge: the lit pixel columns (hbar) or rows (vbar) are exactly the bar's
// share of its cells, to the nearest pixel, cut at the display's edges, in the bar's own row
// or column band.
TEST(LcddModule, BarsArePixelExactAndClipped) {
  Module module({});
  const int positions[] = {-1, 0, 1, 6, 14, 15};
  const int lengths[] = {0, 1, 3, 14, INT_MAX};
  const int promilles[] = {-1, 0, 333, 500, 1000, 1001};
  for (bool horizontal : {true, false}) {
    const int cellLength = horizontal ? 6 : 8;
    for (int at : positions) {
      for (int len : lengths) {
        for (int promille : promilles) {
          const int band = 2;  // the other coordinate: row 2 (hbar) or column 2 (vbar)
          om6211_clear(&module);
          if (horizontal) {
            om6211_hbar(&module, at, band, len, promille, 0);
          } else {
            om6211_vbar(&module, band, at, len, promille, 0);
          }
          om6211_flush(&module);
          const auto glass = module.glass();
          std::set<int> lit;
          for (int y = 0; y < 48; ++y) {
            for (int x = 0; x < 84; ++x) {
              if (!glass.isDark(x, y)) continue;
              ASSERT_TRUE(horizontal ? y / 8 == band - 1 : x / 6 == band - 1);
              lit.insert(horizontal ? x : y);
            }
          }
          const int64_t filled =
              (int64_t{len} * cellLength * std::clamp(promille, 0, 1000) + 500) / 1000;
          std::set<int> expected;
          for (int p = 0; p < (horizontal ? 84 : 48); ++p) {
            // hbar: rightwards from the cell's left edge; vbar: upwards from its bottom edge.
            const int64_t offset = horizontal ? p - (int64_t{at} - 1) * 6 : int64_t{at} * 8 - 1 - p;
            if (offset >= 0 && offset < filled) expected.insert(p);
          }
          EXPECT_EQ(lit, expected) << (horizontal ? "hbar" : "vbar") << " at " << at << " len "
                                   << len << " promille " << promille;
        }
      }
    }
  }
}

TEST(LcddModule, CustomCharactersTakeLcddRows) {
  Module module({});
  unsigned char rows[8] = {0x20, 0x01, 0, 0, 0, 0, 0, 0x3F};  // top left, right, bottom row
  for (int n : {-1, 31}) om6211_set_char(&module, n, rows);   // out of range: nothing stored
  om6211_set_char(&module, 0, nullptr);
  EXPECT_TRUE(module
                  .litCells([](LcddRecord* r) {
                    om6211_chr(r, 1, 1, 0);
                    om6211_chr(r, 2, 1, 31);
                  })
                  .empty());
  om6211_set_char(&module, 30, rows);
  module.litCells([](LcddRecord* r) { om6211_chr(r, 2, 1, 30); });
  const auto glass = module.glass();
  int lit = 0;
  for (int y = 0; y < 8; ++y) {
    for (int x = 6; x < 12; ++x) lit += glass.isDark(x, y);
  }
  EXPECT_TRUE(glass.isDark(6, 0) && glass.isDark(11, 1) && glass.isDark(6, 7) &&
              glass.isDark(11, 7));
  EXPECT_EQ(lit, 8);
}

TEST(LcddModule, Latin1MapsLettersToTheirGlyphsOrTheirBaseLetter) {
  Module latin1(Config{{"CharMap", "iso-8859-1"}}, "latin1");
  Module cp1250({}, "cp1250");
  const std::pair<uint8_t, uint8_t> shownAs[] = {{0xE9, 0xE9}, {0xE0, 'a'}, {0xD8, 'O'},
                                                 {'A', 'A'},   {0xA3, 'L'}, {0x85, ' '}};
  for (const auto& [latin, cp] : shownAs) {
    om6211_clear(&latin1);
    om6211_chr(&latin1, 1, 1, static_cast<char>(latin));
    om6211_flush(&latin1);
    om6211_clear(&cp1250);
    om6211_chr(&cp1250, 1, 1, static_cast<char>(cp));
    om6211_flush(&cp1250);
    EXPECT_EQ(latin1.glass().dark, cp1250.glass().dark) << std::hex << int{latin};
  }
}

TEST(LcddModule, ContrastPromilleMapsOntoTheControllerLevels) {
  Module module({});
  const std::pair<int, int> promilleShown[] = {{-1, 0},      {0, 0},       {500, 516},
                                               {1000, 1000}, {1001, 1000}, {INT_MIN, 0}};
  double lastDarkness = -1;
  for (const auto& [given, shown] : promilleShown) {
    om6211_set_contrast(&module, given);
    EXPECT_EQ(om6211_get_contrast(&module), shown) << given;
    if (given == 0) lastDarkness = module.glass().darkness;
    if (given == 1000) {
      EXPECT_GT(module.glass().darkness, lastDarkness);
    }
  }
  for (int promille = 0; promille <= 1000; ++promille) {
    const int shown =
        om6211::lcdd::promilleOfContrastValue(om6211::lcdd::contrastValueOfPromille(promille));
    EXPECT_LE(std::abs(shown - promille), 17) << promille;  // half a level of 31
  }
}

TEST(LcddModule, BacklightFollowsTheServerAtOnce) {
  Module module(Config{{"Backlight", "off"}});
  EXPECT_FALSE(module.glass().backlight);
  om6211_backlight(&module, 1);
  EXPECT_TRUE(module.glass().backlight);
  om6211_backlight(&module, 0);
  EXPECT_FALSE(module.glass().backlight);
}

TEST(LcddModule, BadConfigurationFailsInitNamingSectionKeyAndValue) {
  const std::pair<Config, const char*> cases[] = {
      {{{"Port", "lpt1"}}, "Port=lpt1"},
      {{{"Port", "virtual:10000"}}, "Port=virtual:10000"},
      {{{"Port", "ppdev:/nonexistent/parport9"}}, "/nonexistent/parport9"},
      {{{"Port", "gpio:/nonexistent/gpiochip9:clk=11,din=10,res=25"}}, "/nonexistent/gpiochip9"},
      {{{"Port", "spi:/nonexistent/spidev9.0:res=gpiochip0/25"}}, "/nonexistent/spidev9.0"},
      {{{"Port", "spi:/dev/spidev0.0:res=gpiochip0/25,hz=8000000"}}, "4 MHz"},
      {{{"Contrast", "1001"}}, "Contrast=1001"},
      {{{"Contrast", "-1"}}, "Contrast=-1"},
      {{{"Contrast", "half"}}, "Contrast=half"},
      {{{"Backlight", "maybe"}}, "Backlight=maybe"},
      {{{"BusDelay", "-1"}}, "BusDelay=-1"},
      {{{"BusDelay", "51"}},
       "BusDelay=51: expected a whole number from 0 to 50: one flush stays "
       "under 0.5 s at 1 µs per port operation"},
      {{{"AddressDelay", "100000"}}, "AddressDelay=100000: expected a whole number from 0 to 50"},
      {{{"AddressDelay", "1e3"}}, "AddressDelay=1e3"},
      {{{"Font", "Greek"}}, "Font=Greek"},
      {{{"CharMap", "koi8-r"}}, "CharMap=koi8-r"},
      {{{"FullRefreshEvery", "-1"}}, "FullRefreshEvery=-1"},
      {{{"Port", "direct:378"}, {"Png", "/tmp/x.png"}}, "Png=/tmp/x.png"},
      {{{"Trace", "/nonexistent-folder/trace.txt"}}, "/nonexistent-folder/trace.txt"},
  };
  for (const auto& [config, named] : cases) {
    ::testing::internal::CaptureStderr();
    Module module(config, "display2");
    const std::string message = ::testing::internal::GetCapturedStderr();
    EXPECT_LT(module.initResult, 0) << named;
    EXPECT_NE(message.find("[display2]"), std::string::npos) << message;
    EXPECT_NE(message.find(named), std::string::npos) << message;
    EXPECT_EQ((&module)->private_data, nullptr);
    om6211_flush(&module);  // a module that failed init ignores calls
  }
}

// The edges of the ranges are taken as given; FullRefreshEvery=0 means what it means to the
// DLL: a full refresh only when the display's contents are not known.
TEST(LcddModule, RangeEdgesAreAccepted) {
  const Config edges = {{"Port", "virtual"},
                        {"Contrast", "1000"},
                        {"BusDelay", "50"},
                        {"AddressDelay", "50"},
                        {"FullRefreshEvery", "0"}};
  const om6211::lcdd::ModuleConfig config =
      om6211::lcdd::readModuleConfig([&](std::string_view key) -> std::optional<std::string> {
        const auto value = edges.find(std::string(key));
        if (value == edges.end()) return std::nullopt;
        return value->second;
      });
  EXPECT_EQ(config.busDelay, 50);
  EXPECT_EQ(config.addressDelay, 50);
  EXPECT_EQ(config.fullRefreshEvery, 0u);
  EXPECT_EQ(Module(edges).initResult, 0);
}

// On an SPI board the module's frames reach the board's glass, the virtual panel listening in.
TEST(LcddModule, DrivesAnSpiBoard) {
  om6211::testing::FakeBoard board;
  board.spiTakesNineBits = false;
  board.wire("/dev/gpiochip0", 25, om6211::testing::FakeBoard::Pin::Reset);
  board.wire("/dev/gpiochip0", 18, om6211::testing::FakeBoard::Pin::Backlight);
  om6211::bindHardwareCalls(om6211::HardwareCalls(board));
  {
    Module module(Config{{"Port", "spi:/dev/spidev0.0:res=gpiochip0/25,light=gpiochip0/18"},
                         {"Backlight", "on"}});
    ASSERT_EQ(module.initResult, 0);
    EXPECT_EQ(module.litCells([](LcddRecord* record) { om6211_string(record, 1, 1, "Hi"); }),
              block(0, 0, 1, 0));
    const om6211::panel::Glass glass = board.module.glass();
    EXPECT_TRUE(glass.backlight);
    EXPECT_EQ(glass.dark, module.glass().dark);
  }
  EXPECT_TRUE(board.openFds().empty());
  EXPECT_GT(board.transfers.size(), 0u);
}

// On an FTDI adapter in MPSSE mode the module's frames reach the glass at the adapter's pins.
TEST(LcddModule, DrivesAnFtdiAdapter) {
  om6211::panel::VirtualPanel atThePins;
  om6211::testing::FtdiPinDecoder decoder(atThePins, om6211::FtdiPins{});
  om6211::testing::FakeParallelPort noKernel;
  om6211::bindHardwareCalls(om6211::HardwareCalls(noKernel, [&] {
    auto adapter = std::make_unique<om6211::testing::FakeFtdi>();
    adapter->onBytes = [&](std::span<const uint8_t> bytes) { decoder.take(bytes); };
    adapter->onMode = [&](uint8_t outputs, om6211::FtdiBitmode mode) {
      decoder.setMode(outputs, mode);
    };
    return adapter;
  }));
  {
    Module module(Config{{"Port", "ftdi:s:0x0403:0x6014:FT7ABC"}, {"Backlight", "on"}});
    ASSERT_EQ(module.initResult, 0);
    EXPECT_EQ(module.litCells([](LcddRecord* record) { om6211_string(record, 1, 1, "Hi"); }),
              block(0, 0, 1, 0));
    EXPECT_TRUE(atThePins.glass().backlight);
    EXPECT_EQ(atThePins.glass().dark, module.glass().dark);
  }
  EXPECT_TRUE(decoder.problems.empty()) << decoder.problems.front();
  om6211::bindHardwareCalls(std::nullopt);
}

// The example section shipped for LCDd.conf is accepted as it stands (on the virtual panel).
TEST(LcddModule, ShippedExampleSectionIsAccepted) {
  std::ifstream file(OM6211_EXAMPLE_CONF);
  ASSERT_TRUE(file) << OM6211_EXAMPLE_CONF;
  Config config;
  bool inSection = false;
  for (std::string line; std::getline(file, line);) {
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '[') inSection = line == "[om6211]";
    const auto equals = line.find('=');
    if (inSection && equals != std::string::npos) {
      config[line.substr(0, equals)] = line.substr(equals + 1);
    }
  }
  EXPECT_EQ(config.size(), 8u);  // Png and Trace are commented out
  config["Port"] = "virtual";
  Module module(config);
  EXPECT_EQ(module.initResult, 0);
}

// Two sections at once, each with its own driver core; closing and initialising again starts
// from the same state, with the trace ending in the clean-up sequence each time.
TEST(LcddModule, InstancesAreIndependentAndCycleCleanly) {
  const std::string trace = ::testing::TempDir() + "om6211-lcdd-cycle.txt";
  std::string firstTrace;
  for (int cycle = 0; cycle < 2; ++cycle) {
    {
      Module one(Config{{"Trace", trace}}, "one");
      Module two({}, "two");
      ASSERT_EQ(one.initResult, 0);
      ASSERT_EQ(two.initResult, 0);
      EXPECT_EQ(one.litCells([](LcddRecord* r) { om6211_string(r, 1, 1, "x"); }),
                block(0, 0, 0, 0));
      EXPECT_EQ(two.litCells([](LcddRecord* r) { om6211_string(r, 3, 2, "y"); }),
                block(2, 1, 2, 1));
      EXPECT_EQ(one.litCells([](LcddRecord*) {}), std::set<Cell>{});
    }
    std::FILE* file = std::fopen(trace.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;) text.push_back(static_cast<char>(c));
    std::fclose(file);
    if (cycle == 0) firstTrace = text;
    EXPECT_EQ(text, firstTrace) << "cycle " << cycle;
  }
  std::remove(trace.c_str());
  EXPECT_NE(firstTrace.find("sleep 1000"), std::string::npos);  // the start-up picture showed
}

}  // namespace
