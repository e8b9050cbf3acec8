// The om6211 tool as a user runs it: a real process, with a host folder of its own in the build
// tree, checked through its exit status, its output and the files it writes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

class CliProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = fs::path(OM6211_TEST_FOLDER) / test->name();
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }

  fs::path file(const std::string& name) const { return folder_ / name; }

  void write(const std::string& name, const std::string& contents) const {
    std::ofstream(file(name), std::ios::binary) << contents;
  }

  static std::string read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // Runs om6211 in the test's folder with the test's folder as the host's.
  Outcome om6211(const std::string& arguments, bool hostDir = true) const {
    const std::string command =
        "cd '" + folder_.string() + "' && '" + OM6211_CLI + "' " + arguments +
        (hostDir ? " --host-dir '" + folder_.string() + "'" : "") + " >out.txt 2>err.txt";
    Outcome outcome;
    const int raw = std::system(command.c_str());
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.out = read(file("out.txt"));
    outcome.err = read(file("err.txt"));
    return outcome;
  }

  fs::path folder_;
};

// Width and height from a PNG's signature and IHDR chunk; zero when it is not a PNG.
std::pair<uint32_t, uint32_t> pngSize(const std::string& bytes) {
  if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 ||
      bytes.compare(12, 4, "IHDR") != 0) {
    return {0, 0};
  }
  auto big = [&](std::size_t at) {
    return static_cast<uint32_t>(
        static_cast<uint8_t>(bytes[at]) << 24 | static_cast<uint8_t>(bytes[at + 1]) << 16 |
        static_cast<uint8_t>(bytes[at + 2]) << 8 | static_cast<uint8_t>(bytes[at + 3]));
  };
  return {big(16), big(20)};
}

TEST_F(CliProcessTest, DemoWritesAPngOfTheGlassSize) {
  const Outcome demo = om6211("demo");
  ASSERT_EQ(demo.status, 0) << demo.err;
  EXPECT_EQ(pngSize(read(file("om6211-demo.png"))), (std::pair<uint32_t, uint32_t>{336, 192}));
  EXPECT_NE(demo.out.find("\u2588"), std::string::npos) << "the glass is printed";
  EXPECT_EQ(demo.err, "");

  const Outcome scaled = om6211("demo --png big.png --scale 6");
  ASSERT_EQ(scaled.status, 0) << scaled.err;
  EXPECT_EQ(pngSize(read(file("big.png"))), (std::pair<uint32_t, uint32_t>{504, 288}));

  // Init clears, shows the start-up picture and clears again; the text and the graphic follow.
  const Outcome screens = om6211("demo --png-screens screen");
  ASSERT_EQ(screens.status, 0) << screens.err;
  for (const char* name : {"screen-0001.png", "screen-0005.png"}) {
    EXPECT_EQ(pngSize(read(file(name))).first, 336u) << name;
  }
  EXPECT_FALSE(fs::exists(file("screen-0006.png")));
}

TEST_F(CliProcessTest, ScriptRunsEveryCommandAndPrintsWhatCallsReturn) {
  write("bitmap.raw", std::string(4032, '\1'));
  write("dot.pbm", "P1\n1 1\n1\n");
  write("script.txt",
        "# every command\n"
        "DLL_GetInfo\n"
        "LCD_SetIOPropertys \"378\" 0 0 14 6 84 48 1 1 255\n"
        "LCD_Init\n"
        "LCD_IsReadyToReceive\n"
        "LCD_SendToController 5\n"
        "LCD_Customize 1 2 3 4 5\n"
        "LCD_GetCGRAMChar 200\n"
        "LCD_SetCGRAMChar 1 " +
            std::string(128, 'f') +
            "\n"
            "LCD_SetOutputAddress 0 5\n"
            "LCD_SendToMemory 0x41\n"
            "LCD_SendToGfxMemory bitmap.raw 0 0 83 47 0\n"
            "LCD_SendToGfxMemory dot.pbm 0 0 83 47 1\n"
            "LCD_CleanUp\n");
  const Outcome run = om6211("run script.txt --trace run.trace --png run.png");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "info \"Nokia 8310   v1.0   (OM6211)\" 01 01 00 01 00 06 08 06\n"
            "ready 1\n"
            "cgram 200\n");
  const std::string trace = read(file("run.trace"));
  EXPECT_NE(trace.find("# 4: LCD_Init\nout 378 0c\nsleep 1\nout 378 0e\nsleep 1\n"),
            std::string::npos);
  EXPECT_NE(trace.find("\nsleep 1000\n"), std::string::npos);
  EXPECT_EQ(pngSize(read(file("run.png"))), (std::pair<uint32_t, uint32_t>{336, 192}));

  // The trace decodes into the frames the panel took in.
  const Outcome decode = om6211("decode run.trace --frames", false);
  ASSERT_EQ(decode.status, 0) << decode.err;
  EXPECT_EQ(decode.out.rfind("cmd 22\ncmd 9f\ncmd e2\ncmd 28\ncmd ae\ncmd a5\n", 0), 0u);
  EXPECT_NE(decode.out.find("cmd a7\n"), std::string::npos);
  EXPECT_EQ(decode.err, "");

  // For programs, the glass as 48 lines of 84 pixels.
  const Outcome pixels = om6211("decode run.trace --pixels", false);
  ASSERT_EQ(pixels.status, 0) << pixels.err;
  EXPECT_EQ(pixels.out.size(), 48u * 85u);
  EXPECT_EQ(pixels.out.find_first_not_of("#.\n"), std::string::npos);
}

TEST_F(CliProcessTest, ASyntaxErrorNamesItsLineAndRunsNothing) {
  write("script.txt", "DLL_GetInfo\nLCD_Init\nLCD_SetOutputAddress 1\nLCD_Init\n");
  const Outcome run = om6211("run script.txt --trace run.trace");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("script.txt:3: LCD_SetOutputAddress takes 2"), std::string::npos)
      << run.err;
  EXPECT_EQ(run.out, "") << "not even DLL_GetInfo ran";
  EXPECT_FALSE(fs::exists(file("run.trace")));
}

TEST_F(CliProcessTest, AMissingOrMalformedBitmapFileStopsTheCheck) {
  write("bad.pbm", "P1\n2 2\n1 1\n1 x\n");
  for (const char* name : {"missing.png", "bad.pbm"}) {
    write("script.txt", std::string("DLL_GetInfo\nLCD_SendToGfxMemory ") + name + " 0 0 1 1 0\n");
    const Outcome run = om6211("run script.txt");
    EXPECT_EQ(run.status, 2) << name;
    EXPECT_NE(run.err.find("script.txt:2: "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(name), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
  const Outcome run = om6211("run script.txt");
  EXPECT_NE(run.err.find("bad.pbm:4:"), std::string::npos) << run.err;
}

TEST_F(CliProcessTest, FailingCallsAreReportedAndTheRunGoesOn) {
  write("script.txt",
        "LCD_SetIOPropertys \"37Q\" 0 0 0 0 0 0 0 0 0\n"
        "LCD_SetIOPropertys \"\" 0 0 0 0 0 0 0 0 0\n"
        "LCD_SetIOPropertys \" 378\" 0 0 0 0 0 0 0 0 0\n"
        "LCD_IsReadyToReceive\n"
        "LCD_SetIOPropertys \"278\" 0 0 0 0 0 0 0 0 0\n");
  const Outcome run = om6211("run script.txt --trace run.trace");
  EXPECT_EQ(run.status, 1) << "failed calls are not reported as success";
  EXPECT_NE(run.err.find("script.txt:1: LCD_SetIOPropertys failed: '$37Q' is not a valid integer "
                         "value"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("script.txt:2: LCD_SetIOPropertys failed: '$' is not"), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("script.txt:3: LCD_SetIOPropertys failed: '$ 378' is not"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(run.err.find("script.txt:5"), std::string::npos);
  EXPECT_EQ(run.out, "ready 1\n");
  // The failed calls sent nothing; the last one sent its contrast pair to port 278.
  const std::string trace = read(file("run.trace"));
  EXPECT_EQ(trace.find("out 378"), std::string::npos);
  EXPECT_NE(trace.find("# 5: LCD_SetIOPropertys \"278\""), std::string::npos);
  EXPECT_NE(trace.find("out 278 0e\nout 27a 03\n"), std::string::npos);
}

TEST_F(CliProcessTest, SettingsFileComesFromTheHostFolder) {
  fs::create_directories(file("controller/OM6211"));
  write("controller/OM6211/settings.ini", "[init]\nText+GraphicsDisplayMode=AND\n");
  std::string script = "LCD_SetIOPropertys 378 0 0 0 0 0 0 0 1 255\nLCD_Init\n";
  script += "LCD_SetOutputAddress 0 5\n";
  for (int cell = 0; cell < 14; ++cell) script += "LCD_SendToMemory 0x41\n";
  write("script.txt", script);
  // Text AND an empty graphics plane leaves the glass blank; XOR would show the letters.
  const Outcome run = om6211("run script.txt --show");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.find("\u2588"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("\u2580"), std::string::npos) << run.out;
}

TEST_F(CliProcessTest, DecodeRefusesAMalformedTraceNamingTheLine) {
  write("bad.trace", "out 378 0e\n# fine\nout 37a\n");
  const Outcome decode = om6211("decode bad.trace", false);
  EXPECT_EQ(decode.status, 2);
  EXPECT_NE(decode.err.find("bad.trace:3: "), std::string::npos) << decode.err;
  EXPECT_EQ(decode.out, "");
}

TEST_F(CliProcessTest, DecodeReportsUnknownCommandsAndAnUnfinishedFrame) {
  // cmd c8 (0 1100 1000), then three bits of another frame.
  std::string trace = "out 378 0e\n";
  for (char bit : std::string("011001000101")) {
    trace += bit == '1' ? "out 37a 02\nout 37a 00\n" : "out 37a 03\nout 37a 01\n";
  }
  write("odd.trace", trace);
  const Outcome decode = om6211("decode odd.trace", false);
  EXPECT_EQ(decode.status, 0) << decode.err;
  EXPECT_EQ(decode.out, "cmd c8\n");
  EXPECT_NE(decode.err.find("1 unknown command(s): c8"), std::string::npos) << decode.err;
  EXPECT_NE(decode.err.find("3 of 9 bits"), std::string::npos) << decode.err;
}

TEST_F(CliProcessTest, TextReportsCharactersWithoutAGlyph) {
  const Outcome text = om6211("text 'Árvíz 5\u20ac' --png text.png");
  EXPECT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.err.find("U+20AC"), std::string::npos) << text.err;
  EXPECT_EQ(pngSize(read(file("text.png"))).first, 336u);
}

TEST_F(CliProcessTest, ImageCommandShowsAPicture) {
  write("box.pbm", "P1\n4 4\n1 1 1 1\n1 0 0 1\n1 0 0 1\n1 1 1 1\n");
  const Outcome image = om6211("image box.pbm --show");
  ASSERT_EQ(image.status, 0) << image.err;
  EXPECT_NE(image.out.find("\u2588\u2580\u2580\u2588"), std::string::npos) << image.out;
}

TEST_F(CliProcessTest, BadArgumentsExitWithStatus2AndHelpWith0) {
  struct Case {
    std::string arguments;
    int status;
    std::string errorPart;
  };
  const std::vector<Case> cases = {
      {"", 2, "usage"},
      {"frobnicate", 2, "unknown command 'frobnicate'"},
      {"run", 2, "'run' takes SCRIPT"},
      {"run missing.txt", 2, "missing.txt: cannot be read"},
      {"demo --bogus", 2, "unknown option --bogus"},
      {"demo --scale 0", 2, "--scale takes a whole number from 1 to 32"},
      {"demo --png", 2, "--png needs a value"},
      {"demo --port lpt9", 2, "unknown port back end 'lpt9'"},
      {"demo --png /nonexistent-folder/x.png", 2, "/nonexistent-folder/x.png"},
      {"image nothing.png", 2, "nothing.png: cannot be read"},
      {"info --help", 0, ""},
      {"run --help", 0, ""},
      {"--help", 0, ""},
  };
  for (const Case& c : cases) {
    const Outcome outcome = om6211(c.arguments, false);
    EXPECT_EQ(outcome.status, c.status) << c.arguments << "\n" << outcome.err;
    EXPECT_NE(outcome.err.find(c.errorPart), std::string::npos) << c.arguments << "\n"
                                                                << outcome.err;
  }
  EXPECT_NE(om6211("text --help", false).out.find("word"), std::string::npos);
}

TEST_F(CliProcessTest, InfoPrintsTheRecord) {
  const Outcome info = om6211("info", false);
  EXPECT_EQ(info.status, 0);
  EXPECT_EQ(info.out, "info \"Nokia 8310   v1.0   (OM6211)\" 01 01 00 01 00 06 08 06\n");
}

}  // namespace
