// The Linux port back ends against a fake parallel port: what reaches the registers, the order
// of claim and release, and the message of every failure. The one real system call tried is
// a request made in a child process, on a pipe.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "host/PortFactory.h"
#include "ports/ftdi/FtdiErrors.h"
#include "ports/linux/HardwarePortErrors.h"
#include "ports/linux/OwnerLock.h"
#include "ports/linux/PpdevPort.h"
#include "support/DriverRig.h"
#include "support/FakeParallelPort.h"

namespace om6211 {
namespace {

using testing::FakeParallelPort;

// The sections of the troubleshooting page (docs/troubleshooting.md), by their anchors.
std::set<std::string> troubleshootingSections() {
  std::ifstream page(OM6211_TROUBLESHOOTING_PAGE);
  const std::string text((std::istreambuf_iterator<char>(page)), std::istreambuf_iterator<char>());
  std::set<std::string> anchors;
  const std::string opening = "<a id=\"";
  for (std::size_t at = text.find(opening); at != std::string::npos; at = text.find(opening, at)) {
    at += opening.size();
    anchors.insert(text.substr(at, text.find('"', at) - at));
  }
  return anchors;
}

// The section a message names, "" for none.
std::string namedSection(const std::string& message) {
  const std::string page = std::string(TroubleshootingPage) + "#";
  const std::size_t at = message.find(page);
  if (at == std::string::npos) return {};
  const std::size_t from = at + page.size();
  return message.substr(from, message.find('.', from) - from);
}

// Everything the driver does in a session, for a driver on `portText`.
void runSession(Driver& driver, const char* portText, int32_t delay, bool backlight) {
  driver.SetIOPropertys(portText, {.addressDelay = delay,
                                   .busDelay = delay,
                                   .backlight = backlight,
                                   .contrastOn = true,
                                   .contrastValue = 0xC0});
  driver.Init();
  driver.SetOutputAddress(3, 2);
  for (uint8_t code : std::initializer_list<uint8_t>{'H', 'i', 0xE9}) driver.SendToMemory(code);
  std::vector<uint8_t> bitmap(84 * 48);
  for (std::size_t i = 0; i < bitmap.size(); i += 7) bitmap[i] = 1;
  driver.SendToGfxMemory(bitmap.data(), 10, 5, 60, 40, false);
  driver.CleanUp();
}

struct Session {
  const char* selection;
  const char* portText;
  int32_t delay;
  bool backlight;
};

// Names the session in test listings; printed as bytes, its padding would read as uninitialised.
void PrintTo(const Session& session, std::ostream* out) {
  *out << session.selection;
}

class HardwarePortTrace : public ::testing::TestWithParam<Session> {};

TEST_P(HardwarePortTrace, CarriesExactlyTheVirtualPanelsTrace) {
  const Session session = GetParam();
  testing::DriverRig reference;
  runSession(reference.driver, session.portText, session.delay, session.backlight);
  std::vector<PortOperation> expected;
  std::copy_if(reference.trace.operations.begin(), reference.trace.operations.end(),
               std::back_inserter(expected),
               [](const PortOperation& op) { return op.kind != PortOperation::Kind::Sleep; });

  FakeParallelPort fake;
  fake.portBase = static_cast<uint32_t>(std::stoul(session.portText, nullptr, 16));
  {
    auto port = openHardware(parsePortSelection(session.selection), fake.portBase, fake).port;
    PortTrace pauses;
    RecordingPauses recordedPauses(pauses);
    Driver driver(
        Platform{port.get(), &recordedPauses, &reference.settings, &reference.hostFolder});
    runSession(driver, session.portText, session.delay, session.backlight);
    EXPECT_EQ(port->failureCount(), 0u);
  }
  ASSERT_EQ(fake.operations().size(), expected.size());
  EXPECT_TRUE(fake.operations() == expected);
}

INSTANTIATE_TEST_SUITE_P(Sessions, HardwarePortTrace,
                         ::testing::Values(Session{"ppdev:/dev/parport0", "378", 0, false},
                                           Session{"ppdev:/dev/parport1", "378", 2, true},
                                           Session{"direct:378", "378", 0, true},
                                           Session{"direct:278", "278", 1, false}));

// The first and last calls of a port's life, and that nothing is left held.
TEST(HardwarePort, ClaimsFirstAndReleasesLast) {
  struct Case {
    const char* selection;
    std::vector<std::string> opening;
    std::vector<std::string> closing;
  };
  const Case cases[] = {
      {"ppdev:/dev/parport0", {"open /dev/parport0", "PPEXCL", "PPCLAIM"}, {"PPRELEASE", "close"}},
      {"direct:3bc",
       {"open /run/lock/om6211-direct-3bc.lock", "flock", "ioperm 3bc 3 on", "ioperm 220 1 on"},
       {"ioperm 220 1 off", "ioperm 3bc 3 off", "close"}},
  };
  for (const Case& c : cases) {
    FakeParallelPort fake;
    openHardware(parsePortSelection(c.selection), 0x3BC, fake).port->write(0x3BE, 1);
    std::vector<std::string> log = fake.log();
    ASSERT_EQ(log.size(), c.opening.size() + 1 + c.closing.size()) << c.selection;
    EXPECT_TRUE(std::equal(c.opening.begin(), c.opening.end(), log.begin())) << c.selection;
    EXPECT_TRUE(std::equal(c.closing.rbegin(), c.closing.rend(), log.rbegin())) << c.selection;
  }
}

// Every way opening can fail: the message names the problem and the fix, and whatever was
// opened or granted before the failure is given back.
TEST(HardwarePort, OpeningFailuresNameTheFixAndLeaveNothingHeld) {
  struct Case {
    const char* selection;
    const char* call;
    int error;
    int occurrence;
    std::vector<const char*> phrases;
    std::vector<std::string> log;
    int reported = 0;          // the errno value the error carries; 0: not checked
    const char* section = "";  // the section of the troubleshooting page the message names
  };
  const std::vector<std::string> claimed = {"open /dev/parport0", "PPEXCL", "PPCLAIM -> ", "close"};
  const Case cases[] = {
      {"ppdev:/dev/parport0",
       "open",
       ENOENT,
       1,
       {"/dev/parport0: no such device", "modprobe parport_pc ppdev"},
       {"open /dev/parport0 -> "},
       ENOENT,
       "parport-missing"},
      {"ppdev:/dev/parport0", "open", ENODEV, 1, {"no such device", "modprobe"}, {"open"}},
      {"ppdev:/dev/parport0",
       "open",
       EACCES,
       1,
       {"permission denied", "lp group", "udev"},
       {"open"},
       EACCES,
       "permission-parport"},
      {"ppdev:/dev/parport0",
       "PPEXCL",
       EINVAL,
       1,
       {"cannot be opened (PPEXCL: "},
       {"open /dev/parport0", "PPEXCL -> ", "close"},
       EINVAL},
      {"ppdev:/dev/parport0",
       "PPCLAIM",
       EBUSY,
       1,
       {"port busy", "rmmod lp"},
       claimed,
       EBUSY,
       "parport-busy"},
      {"ppdev:/dev/parport0",
       "PPCLAIM",
       ENXIO,
       1,
       {"busy or missing", "rmmod lp", "dmesg"},
       claimed},
      {"ppdev:/dev/parport0", "PPCLAIM", EIO, 1, {"cannot be opened (PPCLAIM: "}, claimed},
      {"direct:378",
       "ioperm",
       EPERM,
       1,
       {"direct:378: permission denied", "CAP_SYS_RAWIO"},
       {"open /run/lock/om6211-direct-378.lock", "flock", "ioperm 378 3 on -> ", "close"}},
      {"direct:378",
       "ioperm",
       EPERM,
       2,
       {"permission denied", "root"},
       {"open", "flock", "ioperm 378 3 on", "ioperm 220 1 on -> ", "ioperm 378 3 off", "close"}},
      {"direct:378",
       "flock",
       EWOULDBLOCK,
       1,
       {"direct:378 is in use by process 4321 (LCDd)"},
       {"open /run/lock/om6211-direct-378.lock", "flock -> ", "close"},
       EBUSY,
       "device-in-use"},
      {"direct:ffff",
       "none",
       0,
       1,
       {"unknown port back end 'direct:ffff'", "ppdev:/dev/parportN"},
       {},
       0,
       "port-syntax"},
      {"ppdev:", "none", 0, 1, {"unknown port back end 'ppdev:'"}, {}},
      {"direct:378",
       "no port instructions",
       0,
       1,
       {"only on x86", "ppdev:/dev/parport0"},
       {},
       ENOTSUP,
       "direct-io-not-x86"},
  };
  for (const Case& c : cases) {
    FakeParallelPort fake;
    fake.failCall(c.call, c.error, c.occurrence);
    fake.files["/proc/locks"] = "1: FLOCK  ADVISORY  WRITE 4321 00:00:1 0 EOF\n";
    fake.files["/proc/4321/comm"] = "LCDd\n";
    fake.portInstructions = std::string(c.call) != "no port instructions";
    std::string message;
    int reported = 0;
    try {
      openHardware(parsePortSelection(c.selection), 0x378, fake).port;
    } catch (const PortOpenError& error) {
      message = error.what();
      reported = error.error();
    } catch (const std::exception& error) {  // PortSelectionError, for the text
      message = error.what();
    }
    if (c.reported != 0) {
      EXPECT_EQ(reported, c.reported) << message;
    }
    if (*c.section != '\0') {
      EXPECT_EQ(namedSection(message), c.section) << message;
    }
    if (const std::string named = namedSection(message); !named.empty()) {
      EXPECT_EQ(troubleshootingSections().count(named), 1u) << message;
    }
    for (const char* phrase : c.phrases) {
      EXPECT_NE(message.find(phrase), std::string::npos) << message << " lacks " << phrase;
    }
    const std::vector<std::string> log = fake.log();
    ASSERT_EQ(log.size(), c.log.size()) << c.selection << " " << c.call;
    for (std::size_t i = 0; i < log.size(); ++i) EXPECT_EQ(log[i].rfind(c.log[i], 0), 0u) << log[i];
  }
  // The virtual panel is no hardware: nothing is opened for it.
  FakeParallelPort fake;
  EXPECT_EQ(openHardware(parsePortSelection("virtual"), 0x378, fake).port, nullptr);
  EXPECT_TRUE(fake.log().empty());
}

// A claim that never comes through ends as "port busy" within the wait, with everything done
// by then: the claiming child killed and the device closed. Nothing of the port runs later in
// the process, which may unload the code that opened it.
TEST(HardwarePort, ClaimThatHangsEndsAsBusyWithNothingLeftRunning) {
  FakeParallelPort fake;
  fake.holdClaim(true);
  std::string message;
  try {
    PpdevPort("/dev/parport0", 0x378, fake, std::chrono::milliseconds(50));
  } catch (const PortOpenError& error) {
    message = error.what();
  }
  EXPECT_NE(message.find("port busy (PPCLAIM: no claim within the wait)"), std::string::npos)
      << message;
  const std::vector<std::string> expected = {"open /dev/parport0", "PPEXCL", "PPCLAIM killed",
                                             "close"};
  EXPECT_EQ(fake.log(), expected);
}

// The real request in a child process, on a pipe: the child's result and errno come back, and
// no child is left behind.
TEST(HardwarePort, RequestInAChildProcessReportsItsResult) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  struct Case {
    int fd;
    unsigned long request;
    int error;
  };
  const Case cases[] = {{ends[0], FIONCLEX, 0}, {ends[0], TCGETS, ENOTTY}, {-1, FIONCLEX, EBADF}};
  for (const Case& c : cases) {
    const int result = realSystemCalls().ioctlInChild(c.fd, c.request, std::chrono::seconds(20));
    EXPECT_EQ(result == 0 ? 0 : errno, c.error) << c.request;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
  }
  close(ends[0]);
  close(ends[1]);
}

// Direct ports share the process's port access. Opened and closed in every order (overlapping
// ones too), each open port can still reach its registers and the delay port, exactly what the
// open ports use stays granted, and nothing once all are closed.
TEST(HardwarePort, ClosingADirectPortLeavesTheOthersTheirAccess) {
  const std::pair<const char*, unsigned long> selections[] = {
      {"direct:378", 0x378}, {"direct:278", 0x278}, {"direct:379", 0x379}};
  constexpr int Steps = 6;
  for (int sequence = 0; sequence < 729; ++sequence) {  // 3 to the power of Steps
    FakeParallelPort fake;
    std::unique_ptr<HardwarePort> open[3];
    for (int step = 0, rest = sequence; step < Steps; ++step, rest /= 3) {
      auto& port = open[rest % 3];
      port = port ? nullptr
                  : openHardware(parsePortSelection(selections[rest % 3].first), 0x378, fake).port;
      std::set<unsigned long> used;
      for (int i = 0; i < 3; ++i) {
        if (!open[i]) continue;
        open[i]->write(0x378, 1);
        open[i]->read(0x220);
        used.insert({selections[i].second, selections[i].second + 1, selections[i].second + 2});
        used.insert(0x220);
      }
      ASSERT_EQ(fake.granted(), used) << "sequence " << sequence << ", step " << step;
    }
    for (auto& port : open) port.reset();
    EXPECT_TRUE(fake.granted().empty()) << "sequence " << sequence;
    for (const std::string& call : fake.log()) ASSERT_EQ(call.find("not granted"), call.npos);
  }
}

// What each back end carries, and that a failing register access is raised, counted and named.
TEST(HardwarePort, CarriesOnlyTheDriversRegistersAndReportsFailures) {
  struct Access {
    bool write;
    uint32_t port;
    bool carried;
  };
  const Access accesses[] = {{true, 0x378, true},   {true, 0x37A, true},  {true, 0x379, false},
                             {true, 0x220, false},  {false, 0x220, true}, {false, 0x379, true},
                             {false, 0x378, false}, {false, 0x37A, false}};
  for (const char* selection : {"ppdev:/dev/parport0", "direct:378"}) {
    FakeParallelPort fake;
    auto port = openHardware(parsePortSelection(selection), 0x378, fake).port;
    uint64_t refused = 0;
    for (const Access& access : accesses) {
      const std::size_t before = fake.operations().size();
      try {
        access.write ? port->write(access.port, 0x5A) : static_cast<void>(port->read(access.port));
      } catch (const PortFailure&) {
        ++refused;
      }
      EXPECT_EQ(fake.operations().size() - before, access.carried ? 1u : 0u)
          << selection << " " << std::hex << access.port;
    }
    EXPECT_EQ(port->failureCount(), refused);
    EXPECT_FALSE(port->deviceLost()) << "a refused address is no sign of the device gone";
  }

  FakeParallelPort fake;
  fake.failCall("PPWCONTROL", EIO, 2);
  auto port = openHardware(parsePortSelection("ppdev:/dev/parport0"), 0x378, fake).port;
  port->write(0x37A, 3);
  EXPECT_THROW(port->write(0x37A, 1), PortFailure);
  EXPECT_EQ(port->failureCount(), 1u);
  EXPECT_EQ(port->lastFailure(),
            "PPWCONTROL on /dev/parport0 failed: Input/output error; the device went away "
            "(unplugged, or its driver was unloaded). See " +
                std::string(TroubleshootingPage) + "#device-went-away.");
  EXPECT_TRUE(port->deviceLost());
}

// Every remedy names a section of the troubleshooting page that is there: a section renamed on
// the page, or a row given an anchor the page lacks, fails here.
TEST(Remedies, EveryAnchorIsASectionOfTheTroubleshootingPage) {
  const std::set<std::string> sections = troubleshootingSections();
  ASSERT_FALSE(sections.empty()) << OM6211_TROUBLESHOOTING_PAGE;
  const std::span<const Remedy> tables[] = {remediesOf(DeviceKind::ParallelPort),
                                            remediesOf(DeviceKind::GpioChip),
                                            remediesOf(DeviceKind::SpiDevice), libftdiRemedies()};
  for (const std::span<const Remedy> table : tables) {
    for (const Remedy& remedy : table) {
      EXPECT_EQ(sections.count(std::string(remedy.anchor)), 1u)
          << remedy.call << " " << remedy.problem << ": '" << remedy.anchor << "'";
    }
  }
  // The rows for a library's codes say what they mean in errno values.
  for (const Remedy& remedy : libftdiRemedies()) EXPECT_NE(remedy.error, 0) << remedy.problem;
}

// The kernel's own lock table names the holder: a second open file of the display is refused
// with the process holding the first, until that one is closed.
TEST(OwnerLock, NamesTheProcessHoldingTheDisplay) {
  SystemCalls& calls = realSystemCalls();
  const std::string path =
      (std::filesystem::temp_directory_path() / ("om6211-lock-" + std::to_string(::getpid())))
          .string();
  const int first = calls.open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC);
  const int second = calls.open(path.c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(first, 0);
  ASSERT_GE(second, 0);
  lockOwnership(calls, first, path);
  std::string name = calls.readFile("/proc/self/comm");
  name.pop_back();
  try {
    lockOwnership(calls, second, path);
    ADD_FAILURE() << "locked twice";
  } catch (const PortOpenError& error) {
    EXPECT_NE(
        std::string(error.what())
            .find(path + " is in use by process " + std::to_string(::getpid()) + " (" + name + ")"),
        std::string::npos)
        << error.what();
  }
  calls.close(first);
  EXPECT_NO_THROW(lockOwnership(calls, second, path));
  calls.close(second);
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace om6211
