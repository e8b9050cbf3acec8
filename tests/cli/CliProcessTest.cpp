// The om6211 tool as a user runs it: a real process in a folder of its own in the build tree,
// checked through its exit status, its output, the files it writes and the glass they show.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "cli/GrayImage.h"
#include "support/TestFolder.h"

namespace om6211::cli {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// Where a run's streams go and which program runs; --host-dir is the test's folder unless off.
struct Invocation {
  bool hostDir = false;
  std::string out = "out.txt";
  std::string err = "err.txt";
  std::string program = OM6211_CLI;
};

// A configuration line for the default geometry with the given port text and graphics width.
std::string configure(const std::string& port, int width = 84) {
  return "LCD_SetIOPropertys \"" + port + "\" 0 0 14 6 " + std::to_string(width) + " 48 0 1 224\n";
}

class CliProcessTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = om6211::testing::freshTestFolder(OM6211_TEST_FOLDER); }

  fs::path file(const std::string& name) const { return folder_ / name; }
  void write(const std::string& name, const std::string& contents) const {
    std::ofstream(file(name), std::ios::binary) << contents;
  }
  static std::string read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  Outcome om6211(const std::string& arguments, const Invocation& how = {}) const {
    const std::string command = "cd '" + folder_.string() + "' && '" + how.program + "' " +
                                arguments + (how.hostDir ? " --host-dir ." : "") + " >" + how.out +
                                " 2>" + how.err;
    const int raw = std::system(command.c_str());
    Outcome outcome;
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    if (how.out[0] != '/') outcome.out = read(file(how.out));
    if (how.err[0] != '&') outcome.err = read(file(how.err));
    return outcome;
  }

  // The picture written with --png at `scale` picture pixels per glass pixel, in grey levels.
  GrayImage glass(const std::string& arguments, int scale = 1, int status = 0) const {
    const Outcome run =
        om6211(arguments + " --png glass.png --scale " + std::to_string(scale), {.hostDir = true});
    EXPECT_EQ(run.status, status) << arguments << "\n" << run.err;
    const LoadedImage picture = loadImage(file("glass.png").string());
    EXPECT_FALSE(picture.problem) << *picture.problem;
    return picture.image;
  }

  // Starts the tool in the test's folder, its output going to out.txt and err.txt.
  pid_t start(std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin(), OM6211_CLI);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, file("out.txt").c_str(), O_WRONLY | O_CREAT, 0644);
    posix_spawn_file_actions_addopen(&files, 2, file("err.txt").c_str(), O_WRONLY | O_CREAT, 0644);
    pid_t tool = -1;
    if (posix_spawn(&tool, OM6211_CLI, &files, nullptr, argv.data(), environ) != 0) tool = -1;
    posix_spawn_file_actions_destroy(&files);
    return tool;
  }

  fs::path folder_;
};

// Whether `signal` is in the mask `field` ("SigCgt": caught, "SigPnd" and "ShdPnd": pending)
// of the running process `pid`.
bool signalIn(pid_t pid, const std::string& field, int signal) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field + ":", 0) == 0) {
      return (std::stoull(line.substr(field.size() + 1), nullptr, 16) >> (signal - 1) & 1) != 0;
    }
  }
  return false;
}

// The processor time `pid` has used, in clock ticks (user and system).
long cpuTicks(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  // The fields after the command name, which is in parentheses and may hold spaces.
  std::istringstream fields(line.substr(line.rfind(')') + 2));
  std::string field;
  for (int skipped = 0; skipped < 11; ++skipped) fields >> field;  // state ... cmajflt
  long user = 0;
  long system = 0;
  fields >> user >> system;
  return user + system;
}

// Polls `done` until it holds, for at most 20 s.
template <typename Condition>
bool eventually(Condition&& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// An empty expected part means the stream must be empty.
void expectStream(const std::string& stream, const std::string& part, const std::string& what) {
  if (part.empty()) {
    EXPECT_EQ(stream, "") << what;
  } else {
    EXPECT_NE(stream.find(part), std::string::npos) << what << "\n" << stream;
  }
}

// A glitch injected from outside at any point before the last call: the call that met it is
// reported as failed, and the run's last call, a refresh, shows the glass of a run without it.
// Operation 1 is the first frame's data-register write, 4 a value bit of that frame, 20000 one
// inside the first initialisation, 29290 one of the first row's address frames.
TEST_F(CliProcessTest, PortFailureInjectedFromOutsideHealsByTheNextRefresh) {
  const std::string text = "text 'Heal the glass' --trace run.trace";
  const GrayImage clean = glass(text);
  for (const char* failing : {"1", "4", "20000", "29290"}) {
    ::setenv("OM6211_FAIL_PORT_OPERATION", failing, 1);
    const GrayImage healed = glass(text, 1, 1);
    ::unsetenv("OM6211_FAIL_PORT_OPERATION");
    EXPECT_EQ(healed.levels, clean.levels) << "operation " << failing << " failing";
    EXPECT_NE(read(file("err.txt")).find("port operation " + std::string(failing) + " failed"),
              std::string::npos);
    // The failed operation reached neither the panel nor the trace: with the first one failing,
    // the trace starts with the reset pulse of the initialisation.
    if (std::string(failing) == "1") {
      EXPECT_EQ(read(file("run.trace")).substr(0, 11), "out 378 0c\n");
    }
  }
  ::setenv("OM6211_FAIL_PORT_OPERATION", "0", 1);
  EXPECT_EQ(om6211(text).status, 2);
  ::unsetenv("OM6211_FAIL_PORT_OPERATION");
}

TEST_F(CliProcessTest, EveryExitStatusHasItsCauseNamed) {
  fs::create_directories(file("folder"));
  write("keep.trace", "keep\n");
  write("bom.txt", "\xEF\xBB\xBF" + configure("378") + "LCD_Init\nLCD_IsReadyToReceive\n");
  write("failing.txt", "LCD_SetIOPropertys \"37Q\" 0 0 0 0 0 0 0 0 0\nLCD_IsReadyToReceive\n");
  write("syntax.txt", "DLL_GetInfo\nLCD_Init\nLCD_SetOutputAddress 1\nLCD_Init\n");
  write("bad.pbm", "P1\n2 2\n1 1\n1 x\n");
  for (const char* name : {"folder", "missing.png", "bad.pbm"}) {
    write(std::string(name) + ".txt",
          std::string("DLL_GetInfo\nLCD_SendToGfxMemory ") + name + " 0 0 1 1 0\n");
  }
  write("bad.trace", "out 378 0e\n# fine\nout 37a\n");
  write("q.txt", "q\n\n\n\n\n");
  struct Case {
    std::string arguments;
    int status;
    std::string outPart;  // empty: nothing on standard output
    std::string errPart;  // empty: nothing on standard error
  };
  const std::string scaleRange = "--scale takes a whole number from 1 to 32";
  const std::string unknownPort = "unknown port back end";
  const std::vector<Case> cases = {
      {"info", 0, "info \"Nokia 8310   v1.0   (OM6211)\" 01 01 00 01 00 06 08 06\n", ""},
      {"--help", 0, "usage: om6211 COMMAND", ""},
      {"info --help", 0, "usage: om6211 info\n", ""},
      {"run --help", 0, "stats NAME calls N frames N operations N", ""},
      {"text --help", 0, "a word that does", ""},
      {"run bom.txt --host-dir . --scale 32 --png a.png --port virtual:fffd", 0, "ready 1\n", ""},
      {"text '\u00c1rv\u00edz 5\u20ac' --png a.png --scale 1", 0, "", "U+20AC"},
      {"run failing.txt --host-dir .", 1, "ready 1\n", "failing.txt:1: LCD_SetIOPropertys failed"},
      {"wiring <q.txt", 0, "serial data input.\nEnter: next step, q: stop > All signal pins low",
       ""},
      {"", 2, "", "usage: om6211 COMMAND"},
      {"frobnicate", 2, "", "unknown command 'frobnicate'"},
      {"run", 2, "", "'run' takes SCRIPT"},
      {"run missing.txt", 2, "", "missing.txt: cannot be read"},
      {"run folder", 2, "", "folder: cannot be read"},
      {"decode folder", 2, "", "folder: cannot be read"},
      {"image folder", 2, "", "folder: cannot be read"},
      {"run folder.txt --trace never.trace", 2, "", "folder.txt:2: folder: cannot be read"},
      {"run missing.png.txt", 2, "", "missing.png.txt:2: missing.png: cannot be read"},
      {"run bad.pbm.txt", 2, "", "bad.pbm.txt:2: bad.pbm:4: expected a pixel"},
      {"run syntax.txt --trace never.trace", 2, "", "syntax.txt:3: LCD_SetOutputAddress takes 2"},
      {"decode bad.trace", 2, "", "bad.trace:3: the value is not"},
      {"demo --bogus", 2, "", "unknown option --bogus"},
      {"demo --png", 2, "", "--png needs a value (FILE)"},
      {"run bom.txt --png ''", 2, "", "--png needs a value (FILE), not an empty text"},
      {"run bom.txt --trace ''", 2, "", "--trace needs a value (FILE), not an empty text"},
      {"run bom.txt --host-dir ''", 2, "", "--host-dir needs a value (DIR), not an empty text"},
      {"run bom.txt --png-screens ''", 2, "", "--png-screens needs a value (PREFIX)"},
      // Options are all checked before any output file is opened: keep.trace stays as it was.
      {"run bom.txt --trace keep.trace --scale 0", 2, "", scaleRange + ", not '0'"},
      {"run bom.txt --trace keep.trace --scale 33", 2, "", scaleRange},
      {"run bom.txt --trace keep.trace --scale 4x", 2, "", scaleRange},
      {"run bom.txt --trace keep.trace --scale -4", 2, "", scaleRange},
      {"run bom.txt --trace keep.trace --scale +4", 2, "", scaleRange},
      {"demo --trace keep.trace --scale 3.5", 2, "", scaleRange},
      {"text x --trace keep.trace --contrast 256", 2, "", "--contrast takes a whole number"},
      {"image bad.pbm --trace keep.trace", 2, "", "bad.pbm:4: expected a pixel"},
      {"run bom.txt --trace keep.trace --port lpt9", 2, "", unknownPort + " 'lpt9'"},
      {"run bom.txt --trace keep.trace --port virtual:10000", 2, "", unknownPort},
      {"run bom.txt --trace keep.trace --port virtual:0x378", 2, "", unknownPort},
      {"run bom.txt --trace keep.trace --port virtual:-1", 2, "", unknownPort},
      {"run bom.txt --trace keep.trace --port virtual:", 2, "", unknownPort},
      {"decode bad.trace --port virtual:37g", 2, "", unknownPort},
  };
  for (const Case& c : cases) {
    const Outcome outcome = om6211(c.arguments);
    EXPECT_EQ(outcome.status, c.status) << c.arguments << "\n" << outcome.err;
    expectStream(outcome.out, c.outPart, c.arguments + " (standard output)");
    expectStream(outcome.err, c.errPart, c.arguments + " (standard error)");
  }
  EXPECT_EQ(read(file("keep.trace")), "keep\n");
  EXPECT_FALSE(fs::exists(file("never.trace")));
}

// A display has one owner: a second program opening a device node that another process holds
// is refused, naming the holder, before it sends anything. The node here is a plain file that
// flock(1) holds, as a program holds its spidev node.
TEST_F(CliProcessTest, ASecondProgramOnAHeldSpiDeviceIsRefusedNamingTheHolder) {
  const std::string node = file("spidev0.0").string();
  write("spidev0.0", "");
  std::string held = "touch " + file("held").string() + "; sleep 20";
  std::vector<char*> argv = {const_cast<char*>("flock"), const_cast<char*>(node.c_str()),
                             const_cast<char*>("-c"), held.data(), nullptr};
  // In a process group of its own, so that the holder and its sleep are stopped together.
  posix_spawnattr_t group;
  posix_spawnattr_init(&group);
  posix_spawnattr_setflags(&group, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&group, 0);
  pid_t holder = -1;
  const int spawned = posix_spawnp(&holder, "flock", nullptr, &group, argv.data(), environ);
  posix_spawnattr_destroy(&group);
  ASSERT_EQ(spawned, 0);
  for (int waited = 0; waited < 500 && !fs::exists(file("held")); ++waited) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(fs::exists(file("held")));
  const Outcome outcome = om6211("pattern border --port spi:" + node + ":res=gpiochip0/25");
  kill(-holder, SIGTERM);
  waitpid(holder, nullptr, 0);
  EXPECT_EQ(outcome.status, 2) << outcome.err;
  EXPECT_NE(outcome.err.find(node + " is in use by process " + std::to_string(holder) + " ("),
            std::string::npos)
      << outcome.err;
}

TEST_F(CliProcessTest, OutputThatCannotBeWrittenFailsTheRun) {
  write("script.txt", configure("378") + "LCD_Init\nLCD_IsReadyToReceive\n");
  write("short.txt", "DLL_GetInfo\n");  // a trace that fits in the stream's buffer
  struct Case {
    std::string arguments;
    std::string out;
    std::string errPart;
  };
  const std::vector<Case> cases = {
      {"run script.txt", "/dev/full", "standard output could not be written"},
      {"info", "/dev/full", "standard output could not be written"},
      {"run script.txt --trace /dev/full", "out.txt", "/dev/full: No space left on device"},
      {"run short.txt --trace /dev/full", "out.txt", "/dev/full: No space left on device"},
      {"run script.txt --png-screens nowhere/s", "out.txt", "nowhere/s-0001.png"},
      {"run script.txt --png nowhere/glass.png", "out.txt", "nowhere/glass.png"},
  };
  for (const Case& c : cases) {
    const Outcome outcome = om6211(c.arguments, {.out = c.out});
    EXPECT_EQ(outcome.status, 2) << c.arguments;
    EXPECT_NE(outcome.err.find(c.errPart), std::string::npos) << c.arguments << "\n" << outcome.err;
  }
}

TEST_F(CliProcessTest, FailuresKeepTheScriptOrderAmongResultsAndSendNothing) {
  write("script.txt",
        "LCD_SetIOPropertys \"37Q\" 0 0 0 0 0 0 0 0 0\n"
        "LCD_IsReadyToReceive\n"
        "LCD_SetIOPropertys \"\" 0 0 0 0 0 0 0 0 0\n"
        "LCD_GetCGRAMChar 7\n"
        "LCD_SetIOPropertys \" 378\" 0 0 0 0 0 0 0 0 0\n"
        "LCD_SetIOPropertys \"278\" 0 0 0 0 0 0 0 0 0\n");
  const Outcome run =
      om6211("run script.txt --trace run.trace", {.hostDir = true, .out = "both.txt", .err = "&1"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(read(file("both.txt")),
            "script.txt:1: LCD_SetIOPropertys failed: '$37Q' is not a valid integer value\n"
            "ready 1\n"
            "script.txt:3: LCD_SetIOPropertys failed: '$' is not a valid integer value\n"
            "cgram 7\n"
            "script.txt:5: LCD_SetIOPropertys failed: '$ 378' is not a valid integer value\n"
            "om6211: 3 call(s) of script.txt failed\n");
  // The failed calls sent nothing; the last one sent its contrast pair to port 278.
  const std::string trace = read(file("run.trace"));
  EXPECT_EQ(trace.find("out 378"), std::string::npos);
  EXPECT_NE(
      trace.find("# 6: LCD_SetIOPropertys \"278\" 0 0 0 0 0 0 0 0 0\nout 278 0e\nout 27a 03\n"),
      std::string::npos);
}

// Port operations per entry point, from the trace's annotation lines ("# LINE: NAME ...").
std::map<std::string, uint64_t> operationsPerEntryPoint(const std::string& trace) {
  std::map<std::string, uint64_t> operations;
  std::istringstream lines(trace);
  std::string line, current;
  while (std::getline(lines, line)) {
    if (line.rfind("# ", 0) == 0) {
      current = line.substr(line.find(": ") + 2);
      current = current.substr(0, current.find(' '));
    } else if (line.rfind("out ", 0) == 0 || line.rfind("in ", 0) == 0) {
      ++operations[current];
    }
  }
  return operations;
}

TEST_F(CliProcessTest, ScriptRunsEveryCommandAndCountsWhatEachCost) {
  write("bitmap.raw", std::string(4032, '\1'));
  write("dot.pbm", "P1\n1 1\n1\n");
  write("script.txt",
        "# every command\nDLL_GetInfo\n"
        "LCD_SetIOPropertys \"378\" 0 0 14 6 84 48 1 1 255\n"
        "LCD_Init\nLCD_IsReadyToReceive\nLCD_SendToController 5\n"
        "LCD_Customize 1 2 3 4 5\nLCD_GetCGRAMChar 200\nLCD_SetCGRAMChar 1 " +
            std::string(128, 'f') +
            "\nLCD_SetOutputAddress 0 5\nLCD_SendToMemory 0x41\n"
            "LCD_SendToGfxMemory bitmap.raw 0 0 83 47 0\n"
            "LCD_SendToGfxMemory dot.pbm 0 0 83 47 1\nLCD_CleanUp\n");
  const Outcome run = om6211("run script.txt --stats --trace run.trace", {.hostDir = true});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string trace = read(file("run.trace"));
  EXPECT_NE(trace.find("# 4: LCD_Init\nout 378 0c\nsleep 1\nout 378 0e\nsleep 1\n"),
            std::string::npos);
  EXPECT_NE(trace.find("\nsleep 1000\n"), std::string::npos);

  // The trace decodes into the frames the panel took in.
  const Outcome decode = om6211("decode run.trace --frames");
  ASSERT_EQ(decode.status, 0) << decode.err;
  EXPECT_EQ(decode.out.rfind("cmd 22\ncmd 9f\ncmd e2\ncmd 28\ncmd ae\ncmd a5\n", 0), 0u);
  EXPECT_NE(decode.out.find("cmd a7\n"), std::string::npos);
  const auto frames = static_cast<uint64_t>(std::count(decode.out.begin(), decode.out.end(), '\n'));

  // For programs, the glass as 48 lines of 84 pixels.
  const Outcome pixels = om6211("decode run.trace --pixels");
  ASSERT_EQ(pixels.status, 0) << pixels.err;
  EXPECT_EQ(pixels.out.size(), 48u * 85u);
  EXPECT_EQ(pixels.out.find_first_not_of("#.\n"), std::string::npos);

  // --stats: calls as written, port operations as the trace shows them, frames as decoded.
  std::map<std::string, uint64_t> operations = operationsPerEntryPoint(trace);
  std::string expected =
      "info \"Nokia 8310   v1.0   (OM6211)\" 01 01 00 01 00 06 08 06\nready 1\ncgram 200\n";
  uint64_t totalOperations = 0, totalFrames = 0;
  auto stats = [](const std::string& name, int calls, uint64_t frames, uint64_t operations) {
    return "stats " + name + " calls " + std::to_string(calls) + " frames " +
           std::to_string(frames) + " operations " + std::to_string(operations) + "\n";
  };
  for (const char* name :
       {"DLL_GetInfo", "LCD_SetIOPropertys", "LCD_Init", "LCD_CleanUp", "LCD_IsReadyToReceive",
        "LCD_SendToController", "LCD_SendToMemory", "LCD_SendToGfxMemory", "LCD_SetOutputAddress",
        "LCD_SetCGRAMChar", "LCD_GetCGRAMChar", "LCD_Customize"}) {
    const std::size_t at = run.out.find(std::string("stats ") + name + " calls ");
    ASSERT_NE(at, std::string::npos) << name << "\n" << run.out;
    const std::size_t framesAt = run.out.find(" frames ", at) + 8;
    const uint64_t callFrames = std::stoull(run.out.substr(framesAt));
    expected += stats(name, name == std::string("LCD_SendToGfxMemory") ? 2 : 1, callFrames,
                      operations[name]);
    totalOperations += operations[name];
    totalFrames += callFrames;
  }
  expected += stats("total", 13, frames, totalOperations);
  EXPECT_EQ(run.out, expected);
  EXPECT_EQ(totalFrames, frames);
  EXPECT_GT(totalOperations, 0u);
}

TEST_F(CliProcessTest, SettingsFileComesFromTheHostFolderOrTheProgramsOwn) {
  // Text AND an empty graphics plane leaves the glass blank; XOR (no settings) shows letters.
  fs::create_directories(file("controller/OM6211"));
  write("controller/OM6211/settings.ini", "[init]\nText+GraphicsDisplayMode=AND\n");
  fs::copy_file(OM6211_CLI, file("om6211"));
  write("script.txt", configure("378") + "LCD_Init\nLCD_SendToMemory 0x41\n" +
                          "LCD_SetOutputAddress 13 5\nLCD_SendToMemory 0x41\n");
  struct Case {
    std::string arguments;
    Invocation how;
    bool lettersShow;
  };
  const std::vector<Case> cases = {
      {"run script.txt --show", {.hostDir = true}, false},
      {"run script.txt --show", {.program = file("om6211").string()}, false},
      {"run script.txt --show --host-dir folder", {.program = file("om6211").string()}, true},
  };
  fs::create_directories(file("folder"));
  for (const Case& c : cases) {
    const Outcome run = om6211(c.arguments, c.how);
    ASSERT_EQ(run.status, 0) << run.err;
    const bool lettersShow =
        run.out.find("\u2588") != std::string::npos || run.out.find("\u2580") != std::string::npos;
    EXPECT_EQ(lettersShow, c.lettersShow) << c.arguments << "\n" << run.out;
  }
}

TEST_F(CliProcessTest, WhatTheCallsSendIsWhatTheGlassShows) {
  write("dot.pbm", "P1\n2 2\n1 1\n1 1\n");
  fs::copy_file(OM6211_TEST_DATA "/tiny.png", file("tiny.png"));
  const std::string upload = "LCD_Init\nLCD_SendToGfxMemory dot.pbm 0 0 83 47 0\n";
  write("width42.txt", configure("378", 42) + upload);
  write("width84.txt", configure("378") + upload);
  write("port278.txt", configure("278") + upload);
  write("width84then42.txt", configure("378") + upload + configure("378", 42) +
                                 "LCD_SendToGfxMemory dot.pbm 0 0 83 47 0\n");
  write("failed42.txt", configure("378") + configure("37Q", 42) + upload);
  using Pixels = std::set<std::pair<int, int>>;
  struct Case {
    std::string arguments;
    Pixels lit;  // every other pixel is clear, or the other way round when inverted
    bool inverted = false;
    int status = 0;
  };
  // The 2 x 2 dot is centred in the graphics width: at (41, 23) in 84 columns, (20, 23) in 42,
  // which the driver reads with the row stride 42.
  const Pixels centred84 = {{41, 23}, {42, 23}, {41, 24}, {42, 24}};
  const Pixels centred42 = {{20, 23}, {21, 23}, {20, 24}, {21, 24}};
  const std::vector<Case> cases = {
      {"run width84.txt", centred84},
      {"run width42.txt", centred42},
      // The 42 columns of the second upload cover the left half of the first one's dot.
      {"run width84then42.txt", {{20, 23}, {21, 23}, {20, 24}, {21, 24}, {42, 23}, {42, 24}}},
      // A configuration that failed set no width: the bitmap keeps the stride 84.
      {"run failed42.txt", centred84, false, 1},
      {"run port278.txt --port virtual:278", centred84},
      {"run port278.txt", {}},
      {"image dot.pbm", centred84},
      {"image dot.pbm --inverted", centred84, true},
      {"image dot.pbm --keep", centred84},
      {"run width84.txt --keep", centred84},
      // 4 x 2, centred at (40, 23): black, white, dark red, transparent black; white, black,
      // light grey, black at alpha 200.
      {"image tiny.png", {{40, 23}, {42, 23}, {41, 24}, {43, 24}}},
  };
  for (const Case& c : cases) {
    const GrayImage picture = glass(c.arguments, 1, c.status);
    if (picture.width != 84 || picture.height != 48) continue;
    for (int y = 0; y < 48; ++y) {
      for (int x = 0; x < 84; ++x) {
        EXPECT_EQ(picture.at(x, y) < 140, (c.lit.count({x, y}) != 0) != c.inverted)
            << c.arguments << " at (" << x << ", " << y << ")";
      }
    }
  }
}

// --keep continues the display: no reset pulse (the reset line, data bit 1, never low), no
// start-up picture held (no pause), no blank; what the command draws still reaches the glass.
TEST_F(CliProcessTest, KeepSendsNoResetNoStartUpPictureAndNoBlank) {
  write("dot.pbm", "P1\n2 2\n1 1\n1 1\n");
  write("script.txt", configure("378") + "LCD_Init\nLCD_SendToGfxMemory dot.pbm 0 0 83 47 0\n");
  for (const std::string command :
       {"text Hi", "image dot.pbm", "pattern checker", "run script.txt"}) {
    const Outcome run = om6211(command + " --keep --trace keep.trace");
    ASSERT_EQ(run.status, 0) << command << "\n" << run.err;
    std::istringstream trace(read(file("keep.trace")));
    int writes = 0;
    for (std::string kind, port, value; trace >> kind;) {
      if (kind[0] == '#') {
        std::getline(trace, value);
        continue;
      }
      EXPECT_NE(kind, "sleep") << command;
      trace >> port >> value;
      if (kind == "out" && port == "378") {
        EXPECT_NE(std::stoi(value, nullptr, 16) & 0x02, 0) << command << ": a reset pulse";
      }
      ++writes;
    }
    EXPECT_GT(writes, 0) << command;
  }
}

TEST_F(CliProcessTest, ContrastBacklightAndGridShowInThePicture) {
  write("dot.pbm", "P1\n2 2\n1 1\n1 1\n");
  struct Look {
    int ink, background, gridLine;
  };
  // A lit pixel, an unlit one and the grid line beside it, at 4 picture pixels per glass pixel.
  auto look = [&](const std::string& options) {
    const GrayImage picture = glass("image dot.pbm " + options, 4);
    if (picture.width != 4 * 84) return Look{};
    return Look{picture.at(41 * 4, 23 * 4), picture.at(0, 0), picture.at(3, 0)};
  };
  const Look plain = look("");
  EXPECT_NE(plain.gridLine, plain.background);
  EXPECT_LT(plain.ink, plain.gridLine);
  const Look noGrid = look("--no-grid");
  EXPECT_EQ(noGrid.gridLine, noGrid.background);
  EXPECT_EQ(noGrid.ink, plain.ink);
  EXPECT_GT(look("--backlight").background, plain.background);
  EXPECT_LT(look("--contrast 255").ink, look("--contrast 0").ink);
}

TEST_F(CliProcessTest, DemoWritesAPictureOfEachScreen) {
  const Outcome demo = om6211("demo --png-screens screen --scale 2", {.hostDir = true});
  ASSERT_EQ(demo.status, 0) << demo.err;
  EXPECT_NE(demo.out.find("\u2588"), std::string::npos) << "the glass is printed";
  EXPECT_NE(demo.out.find("Picture written to om6211-demo.png"), std::string::npos);
  EXPECT_EQ(demo.err, "");
  // Init clears, shows the start-up picture and clears again; the text and the graphic follow.
  for (const char* name : {"om6211-demo.png", "screen-0001.png", "screen-0005.png"}) {
    const LoadedImage picture = loadImage(file(name).string());
    EXPECT_EQ(picture.image.width, 168) << name;
    EXPECT_EQ(picture.image.height, 96) << name;
  }
  EXPECT_FALSE(fs::exists(file("screen-0006.png")));
}

TEST_F(CliProcessTest, DecodeReportsUnknownCommandsAndAnUnfinishedFrame) {
  // cmd c8 (0 1100 1000), then three bits of another frame.
  std::string trace = "out 378 0e\n";
  for (char bit : std::string("011001000101")) {
    trace += bit == '1' ? "out 37a 02\nout 37a 00\n" : "out 37a 03\nout 37a 01\n";
  }
  write("odd.trace", trace);
  const Outcome decode = om6211("decode odd.trace");
  EXPECT_EQ(decode.status, 0) << decode.err;
  EXPECT_EQ(decode.out, "cmd c8\n");
  EXPECT_NE(decode.err.find("1 unknown command(s): c8"), std::string::npos) << decode.err;
  EXPECT_NE(decode.err.find("3 of 9 bits"), std::string::npos) << decode.err;
}

// The first SIGINT or SIGTERM lets the call in progress finish, here one that takes minutes
// (its two frames have 2 000 000 000 port reads for each half bit); a second one ends the tool
// at once, killed by that signal.
TEST_F(CliProcessTest, SecondStopSignalEndsTheToolAtOnce) {
  write("slow.txt", "LCD_SetIOPropertys \"378\" 0 2000000000 14 6 84 48 0 1 224\n");
  for (const auto& [first, second] : {std::pair{SIGINT, SIGINT}, std::pair{SIGTERM, SIGINT}}) {
    const pid_t tool = start({"run", file("slow.txt").string()});
    ASSERT_GT(tool, 0);
    ASSERT_TRUE(eventually(
        [&] { return signalIn(tool, "SigCgt", first) && signalIn(tool, "SigCgt", second); }));
    // In the slow call: it has spun for a while since its handlers were set (on a loaded
    // machine, or under a sanitizer, reading the script and opening the port take a moment).
    const long ticksWithHandlers = cpuTicks(tool);
    ASSERT_TRUE(eventually([&] { return cpuTicks(tool) > ticksWithHandlers + 20; }));
    kill(tool, first);
    // Delivered: its handler has run (or runs now, the signal blocked meanwhile).
    ASSERT_TRUE(eventually(
        [&] { return !signalIn(tool, "SigPnd", first) && !signalIn(tool, "ShdPnd", first); }));
    int status = 0;
    if (waitpid(tool, &status, WNOHANG) != 0) {
      ADD_FAILURE() << "the first signal ended the tool: " << status << read(file("err.txt"));
      continue;
    }
    kill(tool, second);
    const bool ended = eventually([&] { return waitpid(tool, &status, WNOHANG) == tool; });
    if (!ended) {
      kill(tool, SIGKILL);
      waitpid(tool, &status, 0);
    }
    EXPECT_TRUE(ended) << "still running after the second signal";
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == second) << first << " " << status;
  }
}

}  // namespace
}  // namespace om6211::cli
