// The C library through its public header, on the virtual port; the trace file shows the frames.
#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "host/TraceReader.h"
#include "om6211/om6211.h"
#include "support/FrameDecoder.h"
#include "support/RefreshFloor.h"
#include "support/TestFolder.h"

namespace {

using Pages = std::array<uint8_t, OM6211_PAGE_BYTES>;
using om6211::testing::Frame;

Pages randomPicture(std::mt19937& random, int changedBytes, Pages picture = {}) {
  for (int i = 0; i < changedBytes; ++i) picture[random() % picture.size()] = uint8_t(random());
  return picture;
}

// A display on the virtual port writing its trace into the test's own folder.
struct Rig {
  explicit Rig(void (*adjust)(om6211_options&) = nullptr) {
    folder = om6211::testing::freshTestFolder(OM6211_TEST_FOLDER);
    trace = (folder / "trace").string();
    om6211_options options;
    om6211_options_init(&options);
    options.trace = trace.c_str();
    if (adjust != nullptr) adjust(options);
    display = om6211_open("virtual", &options);
    EXPECT_NE(display, nullptr) << om6211_error();
  }
  ~Rig() { om6211_close(display); }

  // The operations of the trace file so far, and the frames they carry that are new.
  om6211::PortTrace operations() const {
    std::ifstream file(trace);
    std::stringstream text;
    text << file.rdbuf();
    om6211::PortTrace read;
    om6211::cli::readTrace(text.str(),
                           [&](const om6211::PortOperation& op) { read.operations.push_back(op); });
    return read;
  }
  std::vector<Frame> newFrames() {
    std::vector<Frame> all = om6211::testing::decodeFrames(operations());
    std::vector<Frame> fresh(all.begin() + static_cast<std::ptrdiff_t>(seen), all.end());
    seen = all.size();
    return fresh;
  }
  Pages glass() const {
    Pages pages{};
    EXPECT_EQ(om6211_glass(display, pages.data()), 0) << om6211_error();
    return pages;
  }

  std::filesystem::path folder;
  std::string trace;
  om6211_display* display = nullptr;
  std::size_t seen = 0;
};

std::vector<uint8_t> rowsOf(const Pages& pages, std::size_t stride) {
  std::vector<uint8_t> rows(48 * stride, 0xEE);  // padding bytes must not show
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 84; ++x) {
      uint8_t& byte = rows[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x / 8)];
      const uint8_t bit = uint8_t(0x80 >> (x % 8));
      byte = (pages[static_cast<std::size_t>(y / 8 * 84 + x)] >> (y % 8) & 1) != 0
                 ? uint8_t(byte | bit)
                 : uint8_t(byte & ~bit);
    }
  }
  return rows;
}

Pages inverse(Pages pages) {
  for (uint8_t& byte : pages) byte = uint8_t(~byte);
  return pages;
}

TEST(CApi, EveryCallLeavesTheGlassAsItShouldLook) {
  std::mt19937 random(7);
  const Pages picture = randomPicture(random, 504);
  const Pages blank{};
  struct Step {
    const char* call;
    int (*apply)(om6211_display*, const Pages&);
    Pages (*expected)(const Pages&);
  };
  const Step steps[] = {
      {"show", [](om6211_display* d, const Pages& p) { return om6211_show(d, p.data()); },
       [](const Pages& p) { return p; }},
      {"show_rows stride 11",
       [](om6211_display* d, const Pages& p) {
         return om6211_show_rows(d, rowsOf(p, 11).data(), 11);
       },
       [](const Pages& p) { return p; }},
      {"show_rows stride 16",
       [](om6211_display* d, const Pages& p) {
         return om6211_show_rows(d, rowsOf(inverse(p), 16).data(), 16);
       },
       [](const Pages& p) { return inverse(p); }},
      {"inverted", [](om6211_display* d, const Pages&) { return om6211_set_inverted(d, 1); },
       [](const Pages& p) { return p; }},
      {"contrast", [](om6211_display* d, const Pages&) { return om6211_set_contrast(d, 40); },
       [](const Pages& p) { return p; }},
      {"backlight", [](om6211_display* d, const Pages&) { return om6211_set_backlight(d, 1); },
       [](const Pages& p) { return p; }},
      {"power off", [](om6211_display* d, const Pages&) { return om6211_set_power(d, 0); },
       [](const Pages&) { return Pages{}; }},
      {"power on", [](om6211_display* d, const Pages&) { return om6211_set_power(d, 1); },
       [](const Pages& p) { return p; }},
      {"normal", [](om6211_display* d, const Pages&) { return om6211_set_inverted(d, 0); },
       [](const Pages& p) { return p; }},
  };
  Rig rig;
  EXPECT_EQ(rig.glass(), blank) << "the start-up picture is blanked";
  bool inverted = false;
  Pages shown = blank;
  for (const Step& step : steps) {
    ASSERT_EQ(step.apply(rig.display, picture), 0) << step.call << ": " << om6211_error();
    if (std::string(step.call).starts_with("show")) shown = step.expected(picture);
    if (std::string(step.call) == "inverted" || std::string(step.call) == "normal") {
      inverted = !inverted;
    }
    const Pages expected = std::string(step.call) == "power off" ? blank
                           : inverted                            ? inverse(shown)
                                                                 : shown;
    EXPECT_EQ(rig.glass(), expected) << step.call;
  }
}

TEST(CApi, ChangedPicturesGoOutAtTheFewestFrames) {
  std::mt19937 random(11);
  Rig rig;
  rig.newFrames();
  om6211::testing::AddressTracker address;
  Pages ram{};
  for (const Frame& frame : om6211::testing::decodeFrames(rig.operations())) {
    address.onFrame(frame.isData, frame.value);
  }
  Pages picture{};
  for (int step = 1; step <= 120; ++step) {
    picture = randomPicture(random, int(random() % 40), picture);
    ASSERT_EQ(om6211_show(rig.display, picture.data()), 0) << om6211_error();
    const std::vector<Frame> frames = rig.newFrames();
    if (step % 32 != 0) {
      EXPECT_EQ(int(frames.size()),
                om6211::testing::refreshFloor(ram, picture, 6, 84, address.address))
          << "picture " << step;
    }
    for (const Frame& frame : frames) address.onFrame(frame.isData, frame.value);
    ram = picture;
    EXPECT_EQ(rig.glass(), picture) << "picture " << step;
  }
  EXPECT_EQ(om6211_frames_sent(rig.display),
            (long long)om6211::testing::decodeFrames(rig.operations()).size());
}

TEST(CApi, KeepContinuesWithoutResetOrStartUpPicture) {
  Rig rig([](om6211_options& options) { options.keep = 1; });
  for (const om6211::PortOperation& op : rig.operations().operations) {
    EXPECT_FALSE(op.kind == om6211::PortOperation::Kind::Out && op.number == 0x378 &&
                 (op.value & 0x02) == 0)
        << "the reset line went low";
    EXPECT_NE(op.kind, om6211::PortOperation::Kind::Sleep) << "a start-up picture was held";
  }
  for (const Frame& frame : rig.newFrames()) EXPECT_FALSE(frame.isData) << "RAM was written";
  std::mt19937 random(3);
  const Pages picture = randomPicture(random, 5);
  ASSERT_EQ(om6211_show(rig.display, picture.data()), 0);
  int dataFrames = 0;
  for (const Frame& frame : rig.newFrames()) dataFrames += frame.isData ? 1 : 0;
  EXPECT_EQ(dataFrames, 504) << "the first picture goes whole";
  EXPECT_EQ(rig.glass(), picture);
}

TEST(CApi, FailuresSetErrnoAndTheMessage) {
  const std::filesystem::path folder = om6211::testing::freshTestFolder(OM6211_TEST_FOLDER);
  const std::string missing = (folder / "parport9").string();
  struct Case {
    std::string port;
    std::string trace;
    int contrast;
    int error;
    std::string messagePart;
  };
  const Case cases[] = {
      {"bogus", "", 128, EINVAL, "ppdev:"},
      {"virtual:XYZ", "", 128, EINVAL, "virtual"},
      {"virtual", "", 256, EINVAL, "contrast"},
      {"virtual", (folder / "no" / "trace").string(), 128, ENOENT, "trace"},
      {"ppdev:" + missing, "", 128, ENOENT, "modprobe"},
  };
  for (const Case& c : cases) {
    om6211_options options;
    om6211_options_init(&options);
    options.contrast = c.contrast;
    options.trace = c.trace.empty() ? nullptr : c.trace.c_str();
    errno = 0;
    EXPECT_EQ(om6211_open(c.port.c_str(), &options), nullptr) << c.port;
    EXPECT_EQ(errno, c.error) << c.port;
    EXPECT_NE(std::string(om6211_error()).find(c.messagePart), std::string::npos)
        << c.port << ": " << om6211_error();
  }

  om6211_display* null = om6211_open("null", nullptr);
  ASSERT_NE(null, nullptr) << om6211_error();
  Pages pages{};
  struct Call {
    const char* name;
    int (*call)(om6211_display*, uint8_t*);
    int error;
  };
  const Call calls[] = {
      {"glass on null", [](om6211_display* d, uint8_t* p) { return om6211_glass(d, p); }, ENOTSUP},
      {"stride 10", [](om6211_display* d, uint8_t* p) { return om6211_show_rows(d, p, 10); },
       EINVAL},
      {"no picture", [](om6211_display* d, uint8_t*) { return om6211_show(d, nullptr); }, EINVAL},
      {"contrast -1", [](om6211_display* d, uint8_t*) { return om6211_set_contrast(d, -1); },
       EINVAL},
      {"no display", [](om6211_display*, uint8_t* p) { return om6211_show(nullptr, p); }, EINVAL},
  };
  for (const Call& call : calls) {
    errno = 0;
    EXPECT_EQ(call.call(null, pages.data()), -1) << call.name;
    EXPECT_EQ(errno, call.error) << call.name;
  }
  EXPECT_EQ(om6211_show(null, pages.data()), 0);
  om6211_close(null);

  // A wire that fails while the display powers up.
  setenv("OM6211_FAIL_PORT_OPERATION", "3", 1);
  errno = 0;
  EXPECT_EQ(om6211_open("virtual", nullptr), nullptr);
  EXPECT_EQ(errno, EIO);
  unsetenv("OM6211_FAIL_PORT_OPERATION");
}

TEST(CApi, TwoThreadsOnOneDisplayKeepItInStep) {
  Rig rig;
  auto drawing = [&](unsigned seed) {
    std::mt19937 random(seed);
    for (int i = 0; i < 150; ++i) {
      const Pages picture = randomPicture(random, 30);
      EXPECT_EQ(om6211_show(rig.display, picture.data()), 0);
      EXPECT_EQ(om6211_set_contrast(rig.display, int(random() % 256)), 0);
    }
  };
  std::thread first(drawing, 1);
  std::thread second(drawing, 2);
  first.join();
  second.join();
  std::mt19937 random(5);
  const Pages last = randomPicture(random, 20);
  ASSERT_EQ(om6211_show(rig.display, last.data()), 0);
  EXPECT_EQ(rig.glass(), last) << "the driver's picture of the controller went wrong";
}

}  // namespace
