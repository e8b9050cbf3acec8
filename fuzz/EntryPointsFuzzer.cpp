// Drives the twelve exported entry points with a call sequence decoded from the input, on a
// recording port that can be told to fail, and checks after every call that the driver state
// kept its invariants, changed only where the call may change it, and that the port saw only
// well-formed serial frames. The one static driver keeps its state from input to input, as in
// a host that runs for days.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <string>

#include "InjectingPort.h"
#include "dll/EntryPoint.h"
#include "dll/ExportBinding.h"
#include "dll/Exports.h"
#include "driver/DriverInfo.h"
#include "ports/portable/IniFileLookup.h"
#include "reliability/EntryPointEffects.h"
#include "reliability/TraceShape.h"

namespace {

using namespace om6211;
using fuzzing::InjectingPort;
using reliability::DriverSnapshot;

constexpr std::size_t MaxCallsPerInput = 48;
// An input ends once its calls have made this many port operations (an initialisation makes
// about 10,000, a refresh of the whole display as many): libFuzzer counts how often each edge
// runs, so inputs that repeat the heaviest calls look new and would crowd the corpus. The
// driver keeps its state, and the next input goes on from there.
constexpr uint64_t OperationsPerInput = 6000;
constexpr std::size_t BitmapBytes = 84 * 48;

// The settings file as the current input describes it.
class StreamSettings final : public SettingsLookup {
 public:
  std::string lookup(const std::string&, std::string_view section, std::string_view key,
                     std::string_view fallback) override {
    if (!present) return std::string(fallback);
    return lookupIniText(contents, section, key, fallback);
  }

  bool present = false;
  std::string contents;
};

class FixedFolder final : public HostFolder {
 public:
  std::string path() override { return "/fuzz/host/"; }
};

InjectingPort port;
PortTrace& trace = port.trace;
StreamSettings settings;
FixedFolder folder;

[[noreturn]] void finding(EntryPoint call, const std::string& what) {
  std::fprintf(stderr, "finding after %s: %s\n", std::string(exportedName(call)).c_str(),
               what.c_str());
  std::abort();
}

// Delays stay small, so that one call cannot take seconds; negative ones are all alike.
int32_t boundedDelay(FuzzedDataProvider& in) {
  static constexpr int32_t Delays[] = {0, 0, 1, 2, -1, INT_MIN};
  return in.PickValueInArray(Delays);
}

int32_t geometryRequest(FuzzedDataProvider& in) {
  static constexpr int32_t Edges[] = {0, 1, -1, 6, 14, 15, 48, 49, 84, 85, INT_MIN, INT_MAX};
  return in.ConsumeBool() ? in.PickValueInArray(Edges) : in.ConsumeIntegral<int32_t>();
}

int32_t cellCoordinate(FuzzedDataProvider& in) {
  return in.ConsumeBool() ? in.ConsumeIntegralInRange<int32_t>(-2, 15)
                          : in.ConsumeIntegral<int32_t>();
}

uint32_t pixelSlot(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
      return in.ConsumeIntegralInRange<uint32_t>(0, 90);
    case 1:
      return 0xFFFF - in.ConsumeIntegralInRange<uint32_t>(0, 9);
    case 2:
      return in.ConsumeIntegralInRange<uint32_t>(0, 90) | 0xABCD0000u;  // garbage above 16 bits
    default:
      return in.ConsumeIntegral<uint32_t>();
  }
}

std::string portText(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
      return "378";
    case 1:
      return std::string(in.ConsumeIntegralInRange<std::size_t>(0, 20000),
                         in.ConsumeIntegral<char>());
    default:
      return in.ConsumeRandomLengthString(24);
  }
}

// The host's bitmap, exactly the host's size so that over-reads hit the redzone behind it;
// one for the run, as a fresh one for every upload would only churn the allocator.
std::array<uint8_t, BitmapBytes> bitmap;

const uint8_t* hostBitmap(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
      bitmap.fill(0);
      break;
    case 1:
      bitmap.fill(0xFF);
      break;
    case 2:
      for (std::size_t i = 0; i < bitmap.size(); ++i) bitmap[i] = (i / 84 + i) % 2;
      break;
    default:
      bitmap.fill(0);
      in.ConsumeData(bitmap.data(), bitmap.size());
  }
  return bitmap.data();
}

// Makes the port fail during the next call as the input says: never, at one operation, from
// one operation on (the port is gone), or now and then.
bool armFailures(FuzzedDataProvider& in) {
  const uint64_t start = port.operationCount();
  switch (in.ConsumeIntegralInRange(0, 7)) {
    case 0:
      port.failBy(InjectingPort::Rule::At, start + in.ConsumeIntegralInRange<uint64_t>(0, 40000));
      return true;
    case 1:
      port.failBy(InjectingPort::Rule::From, start + in.ConsumeIntegralInRange<uint64_t>(0, 40000));
      return true;
    case 2:
      port.failBy(InjectingPort::Rule::Every, in.ConsumeIntegralInRange<uint64_t>(1, 97));
      return true;
    default:
      return false;
  }
}

void checkInfo(const Om6211DriverInfo& info) {
  const DriverInfoBytes expected = makeDriverInfo();
  if (std::memcmp(&info, expected.data(), expected.size()) != 0) {
    finding(EntryPoint::GetInfo, "record differs from the identification record");
  }
}

bool sendsNothing(EntryPoint entryPoint) {
  switch (entryPoint) {
    case EntryPoint::GetInfo:
    case EntryPoint::IsReadyToReceive:
    case EntryPoint::SendToController:
    case EntryPoint::SetCGRAMChar:
    case EntryPoint::GetCGRAMChar:
    case EntryPoint::Customize:
      return true;
    default:
      return false;
  }
}

void checkCall(EntryPoint call, const DriverSnapshot& before, const DriverSnapshot& after,
               bool failuresHappened) {
  if (auto broken = reliability::brokenInvariant(after); !broken.empty()) {
    finding(call, "invariant broken: " + broken);
  }
  if (auto change = reliability::forbiddenChange(call, before, after); !change.empty()) {
    finding(call, change);
  }
  if (sendsNothing(call) && !trace.operations.empty()) finding(call, "port traffic");
  if (failuresHappened) {
    if (auto stray = reliability::strayOperation(trace, after.settings); !stray.empty()) {
      finding(call, stray);
    }
  } else if (auto shape = reliability::frameProblem(trace, after.settings); !shape.empty()) {
    finding(call, shape);
  }
  // Only a port failure, or a port text that does not convert, leaves a failure message.
  if (!failuresHappened && call != EntryPoint::SetIOPropertys && !exported::lastFailure().empty()) {
    finding(call, "failure kept without a port failure: " + exported::lastFailure());
  }
  if (call == EntryPoint::SetIOPropertys && !failuresHappened && !exported::lastFailure().empty() &&
      !reliability::sameState(before, after)) {
    finding(call, "rejected configuration changed the state");
  }
  if (call == EntryPoint::SetIOPropertys && !failuresHappened && !exported::lastFailure().empty() &&
      !trace.operations.empty()) {
    finding(call, "rejected configuration sent commands");
  }
}

// Makes one call with the port failing as the input says, and checks its effects.
template <typename Call>
void checked(FuzzedDataProvider& in, EntryPoint entryPoint, Call&& call) {
  const bool failing = armFailures(in);
  const uint64_t failuresBefore = port.failureCount();
  const DriverSnapshot before = DriverSnapshot::of(exported::instance());
  trace.operations.clear();
  exported::clearLastFailure();
  call();
  port.failBy(InjectingPort::Rule::Never);
  const DriverSnapshot after = DriverSnapshot::of(exported::instance());
  checkCall(entryPoint, before, after, failing && port.failureCount() != failuresBefore);
}

void checkUnchanged(EntryPoint entryPoint, const DriverSnapshot& before, const char* what) {
  if (!reliability::sameState(before, DriverSnapshot::of(exported::instance()))) {
    finding(entryPoint, std::string(what) + " changed the state");
  }
}

// How many of every 64 calls go to each entry point, in the order of the host interface. A host
// configures and initialises now and then and mostly writes text, moves the cursor and uploads
// pictures; the initialisation and the clean-up each send over 500 frames, so drawing them as
// often as the rest would spend most of the run repeating them.
constexpr std::array<uint8_t, EntryPointCount> CallWeights = {2, 3, 1, 1, 1, 2, 28, 4, 12, 6, 2, 2};
static_assert(std::accumulate(CallWeights.begin(), CallWeights.end(), 0) == 64);

EntryPoint drawEntryPoint(FuzzedDataProvider& in) {
  unsigned pick = in.ConsumeIntegralInRange(0u, 63u);
  std::size_t index = 0;
  while (pick >= CallWeights[index]) pick -= CallWeights[index++];
  return static_cast<EntryPoint>(index);
}

// Decodes one entry point with its arguments from the input and calls it, checked.
void callOne(FuzzedDataProvider& in) {
  const EntryPoint entryPoint = drawEntryPoint(in);
  switch (entryPoint) {
    case EntryPoint::GetInfo: {
      const bool nullResult = in.ConsumeBool();
      checked(in, entryPoint, [&] {
        Om6211DriverInfo info;
        std::memset(&info, 0xA5, sizeof info);
        if (nullResult) {
          if (DLL_GetInfo(nullptr) != nullptr) finding(entryPoint, "null storage not returned");
          return;
        }
        if (DLL_GetInfo(&info) != &info) finding(entryPoint, "result is not the caller's storage");
        checkInfo(info);
      });
      break;
    }
    case EntryPoint::SetIOPropertys: {
      const bool nullText = in.ConsumeIntegralInRange(0, 15) == 0;
      const std::string text = nullText ? std::string() : portText(in);
      const int32_t addressDelay = boundedDelay(in);
      const int32_t busDelay = boundedDelay(in);
      const int32_t columns = geometryRequest(in);
      const int32_t rows = geometryRequest(in);
      const int32_t width = geometryRequest(in);
      const int32_t height = geometryRequest(in);
      const auto backlight = in.ConsumeIntegral<uint32_t>();
      const auto unused = in.ConsumeIntegral<uint32_t>();
      const auto contrastOn = in.ConsumeIntegral<uint32_t>();
      const auto contrast = in.ConsumeIntegral<uint32_t>();
      checked(in, entryPoint, [&] {
        LCD_SetIOPropertys(nullText ? nullptr : text.c_str(), addressDelay, busDelay, columns, rows,
                           width, height, backlight, unused, contrastOn, contrast, unused, unused,
                           unused);
      });
      break;
    }
    case EntryPoint::Init:
      checked(in, entryPoint, [] { LCD_Init(); });
      break;
    case EntryPoint::CleanUp:
      checked(in, entryPoint, [] { LCD_CleanUp(); });
      break;
    case EntryPoint::IsReadyToReceive:
      checked(in, entryPoint, [&] {
        if (LCD_IsReadyToReceive() != 1) finding(entryPoint, "reported not ready");
      });
      break;
    case EntryPoint::SendToController: {
      const auto ignored = in.ConsumeIntegral<uint32_t>();
      checked(in, entryPoint, [&] { LCD_SendToController(ignored); });
      break;
    }
    case EntryPoint::SendToMemory: {
      // Mostly runs of printable text, so that screens fill and refresh.
      const bool printable = in.ConsumeBool();
      const uint32_t code = printable ? in.ConsumeIntegralInRange<uint32_t>(0x20, 0x7E)
                                      : in.ConsumeIntegral<uint32_t>();
      const int repeat = in.ConsumeIntegralInRange(1, 15);
      for (int i = 0; i < repeat; ++i) {
        checked(in, entryPoint, [&] { LCD_SendToMemory(code + static_cast<uint32_t>(i)); });
      }
      break;
    }
    case EntryPoint::SendToGfxMemory: {
      const bool nullBitmap = in.ConsumeIntegralInRange(0, 15) == 0;
      const uint8_t* bitmap = hostBitmap(in);
      const uint32_t x1 = pixelSlot(in), y1 = pixelSlot(in), x2 = pixelSlot(in), y2 = pixelSlot(in);
      const auto inverted = in.ConsumeIntegral<uint32_t>();
      checked(in, entryPoint, [&] {
        const DriverSnapshot before = DriverSnapshot::of(exported::instance());
        LCD_SendToGfxMemory(nullBitmap ? nullptr : bitmap, x1, y1, x2, y2, inverted);
        if (nullBitmap) {
          checkUnchanged(entryPoint, before, "a null bitmap");
          if (!trace.operations.empty()) finding(entryPoint, "a null bitmap sent commands");
        }
      });
      break;
    }
    case EntryPoint::SetOutputAddress: {
      const int32_t column = cellCoordinate(in);
      const int32_t row = cellCoordinate(in);
      checked(in, entryPoint, [&] { LCD_SetOutputAddress(column, row); });
      break;
    }
    case EntryPoint::SetCGRAMChar: {
      Om6211GlyphBlock block{};
      const auto bytes = in.ConsumeBytes<uint8_t>(sizeof block.bytes);
      std::copy(bytes.begin(), bytes.end(), block.bytes);
      if (in.ConsumeBool()) block.bytes[0] %= 32;
      checked(in, entryPoint, [&] {
        const DriverSnapshot before = DriverSnapshot::of(exported::instance());
        LCD_SetCGRAMChar(block);
        if (block.bytes[0] >= FrameMemory::CustomGlyphCount) {
          checkUnchanged(entryPoint, before, "a glyph index above 30");
        }
      });
      break;
    }
    case EntryPoint::GetCGRAMChar: {
      const auto index = in.ConsumeIntegral<uint32_t>();
      checked(in, entryPoint, [&] {
        if (LCD_GetCGRAMChar(index) != static_cast<uint8_t>(index)) {
          finding(entryPoint, "did not return the index");
        }
      });
      break;
    }
    case EntryPoint::Customize: {
      uint32_t slots[5];
      for (uint32_t& slot : slots) slot = in.ConsumeIntegral<uint32_t>();
      checked(in, entryPoint,
              [&] { LCD_Customize(slots[0], slots[1], slots[2], slots[3], slots[4]); });
      break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  exported::usePlatform(Platform{&port, &port, &settings, &folder});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  settings.present = in.ConsumeBool();
  settings.contents = in.ConsumeRandomLengthString(2048);
  const uint64_t start = port.operationCount();
  for (std::size_t calls = 0; calls < MaxCallsPerInput && in.remaining_bytes() > 0 &&
                              port.operationCount() - start < OperationsPerInput;
       ++calls) {
    callOne(in);
  }
  return 0;
}
