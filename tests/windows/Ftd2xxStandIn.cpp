// Stands in for FTD2XX.DLL next to the driver under test: one FTDI adapter that is not there,
// modelled as the chip behaves at its pins. It records what reaches the chip in the format of
// the stand-in libftdi (tests/fakes/FakeLibftdi.cpp), so that the same decoder turns it into
// glass, and it never touches the USB.
//
//   OM6211_FAKE_FTDI_CHIP     the chip: 232H (the default), 232R or 4232H
//   OM6211_FAKE_FTDI_LOG      the file each event is appended to, one line each:
//                               open HOW WHAT CHIP | refused HOW WHAT | power | close
//                               bitmode OUTPUTS MODE     (two hex bytes)
//                               write HEX                (the bytes that reached the chip)
//                               read COUNT               (pin samples or answers taken back)
//                               # TEXT                   (a note of the host's, StandInNote)
//                               stall TEXT               (a call that would wait for ever)
//   OM6211_FAKE_FTDI_DEVICES  "none": nothing is plugged in
//   OM6211_FAKE_FTDI_HELD     set: another program holds the adapter (a terminal on its COM
//                             port): listed as opened, without serial or description, and
//                             opening it gives FT_DEVICE_NOT_OPENED
//   OM6211_FAKE_FTDI_STATUS   CALL=STATUS[,...]: every call of CALL ("FT_SetBitMode") returns
//                             STATUS and does nothing
//   OM6211_FAKE_FTDI_UNPLUG   W[:K]: the W-th FT_Write of the process finds the adapter pulled
//                             out: it returns FT_IO_ERROR, as every call on a handle opened
//                             before does from then on; the next K listings or openings (1)
//                             find nothing (FT_DEVICE_NOT_FOUND), then the adapter is back and
//                             the module it powers starts blank ("power" in the log)
//
// Synchronous bit-bang: every byte written is clocked out and its pin sample queued for
// reading; once the receive side holds its transfer size of unread samples the chip stops
// taking bytes, and a write returns short. MPSSE: the commands are parsed as the engine does,
// across writes; an unknown one is answered with 0xFA and its byte. A read without a timeout
// for more than is queued would wait for ever: the stand-in returns what it has and logs a stall.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace {

using FT_STATUS = ULONG;
using FT_HANDLE = void*;

constexpr FT_STATUS Ok = 0;
constexpr FT_STATUS InvalidHandle = 1;
constexpr FT_STATUS DeviceNotFound = 2;
constexpr FT_STATUS DeviceNotOpened = 3;
constexpr FT_STATUS IoError = 4;
constexpr FT_STATUS InvalidParameter = 6;

constexpr DWORD OpenBySerial = 1;
constexpr DWORD TransferSize = 4096;

struct Chip {
  std::string_view name;
  ULONG type;  // FT_DEVICE
  USHORT product;
  bool mpsse;
  const char* description;
};
constexpr Chip Chips[] = {
    {"232H", 8, 0x6014, true, "Single RS232-HS"},
    {"232R", 5, 0x6001, false, "FT232R USB UART"},
    {"4232H", 7, 0x6011, true, "Quad RS232-HS A"},
};
constexpr const char* Serial = "FT7ABC";

struct FT_DEVICE_LIST_INFO_NODE {
  ULONG Flags;
  ULONG Type;
  ULONG ID;
  DWORD LocId;
  char SerialNumber[16];
  char Description[64];
  FT_HANDLE ftHandle;
};

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : value;
}

const Chip& chip() {
  static const Chip& chosen = [&]() -> const Chip& {
    const std::string wanted = environment("OM6211_FAKE_FTDI_CHIP");
    for (const Chip& known : Chips) {
      if (known.name == wanted) return known;
    }
    return Chips[0];
  }();
  return chosen;
}

void note(const std::string& line) {
  static std::FILE* log = [] {
    const std::string path = environment("OM6211_FAKE_FTDI_LOG");
    return path.empty() ? nullptr : std::fopen(path.c_str(), "ab");
  }();
  if (log == nullptr) return;
  std::fputs((line + "\n").c_str(), log);
  std::fflush(log);
}

std::string hex(const uint8_t* bytes, DWORD size) {
  static constexpr char Digits[] = "0123456789abcdef";
  std::string text;
  for (DWORD i = 0; i < size; ++i) {
    text += Digits[bytes[i] >> 4];
    text += Digits[bytes[i] & 0x0F];
  }
  return text;
}

// The status OM6211_FAKE_FTDI_STATUS gives `call`, if any.
bool injected(std::string_view call, FT_STATUS& status) {
  std::string rules(",");
  rules += environment("OM6211_FAKE_FTDI_STATUS");
  std::string rule(",");
  rule.append(call).append("=");
  const std::size_t at = rules.find(rule);
  if (at == std::string::npos) return false;
  status = static_cast<FT_STATUS>(std::strtoul(rules.c_str() + at + call.size() + 2, nullptr, 0));
  return true;
}

// Where the adapter is: plugged in for the `pluggedIn`-th time, or away for `awayFor` more
// openings.
struct Plug {
  int pluggedIn = 0;
  int poweredIn = -1;
  int awayFor = 0;
  int writes = 0;
} plug;

bool present() {
  return environment("OM6211_FAKE_FTDI_DEVICES") != "none" && plug.awayFor == 0;
}
bool held() {
  return !environment("OM6211_FAKE_FTDI_HELD").empty();
}

// The engine's command parser, across writes: what each command still takes.
class MpsseParser {
 public:
  void reset() { argumentsLeft_ = dataLeft_ = 0; }
  // Takes one byte; appends any answer the engine gives to `answers`.
  void take(uint8_t byte, std::deque<uint8_t>& answers) {
    static constexpr std::string_view TwoArguments = "\x10\x11\x12\x13\x80\x82\x86\x8f";
    static constexpr std::string_view NoArguments = "\x84\x85\x87\x8a\x8b\x8c\x8d\x96\x97";
    if (dataLeft_ > 0) {
      --dataLeft_;
    } else if (argumentsLeft_ > 0) {
      length_ = static_cast<uint16_t>(length_ >> 8 | byte << 8);  // low byte first
      // Clocking bytes out takes a length, then length + 1 bytes.
      if (--argumentsLeft_ == 0 && (opcode_ == 0x10 || opcode_ == 0x11)) dataLeft_ = length_ + 1u;
    } else if (opcode_ = byte;
               TwoArguments.find(static_cast<char>(byte)) != std::string_view::npos) {
      argumentsLeft_ = 2;
    } else if (byte == 0x8E) {
      argumentsLeft_ = 1;
    } else if (byte == 0x81 || byte == 0x83) {
      answers.push_back(0xFF);  // the pins read
    } else if (NoArguments.find(static_cast<char>(byte)) == std::string_view::npos) {
      answers.insert(answers.end(), {0xFA, byte});
    }
  }

 private:
  uint8_t opcode_ = 0;
  int argumentsLeft_ = 0;
  uint16_t length_ = 0;
  uint32_t dataLeft_ = 0;
};

struct Handle {
  explicit Handle(int plugged) : pluggedIn(plugged) {}

  int pluggedIn;
  uint8_t mode = 0;
  uint8_t outputs = 0;
  DWORD readTimeout = 0;
  DWORD writeTimeout = 0;
  DWORD inTransferSize = TransferSize;
  std::deque<uint8_t> received;
  MpsseParser parser;
};

// The handle, or null when it is none or its adapter was pulled out since it was opened.
Handle* alive(FT_HANDLE handle, FT_STATUS& status) {
  auto* opened = static_cast<Handle*>(handle);
  if (opened == nullptr) {
    status = InvalidHandle;
    return nullptr;
  }
  if (opened->pluggedIn != plug.pluggedIn || plug.awayFor > 0) {
    status = IoError;
    return nullptr;
  }
  return opened;
}

FT_STATUS openDevice(const std::string& how, const std::string& what, bool matches,
                     FT_HANDLE* handle) {
  if (!present() || !matches) {
    note("refused " + how + " " + what);
    if (plug.awayFor > 0) --plug.awayFor;
    return DeviceNotFound;
  }
  if (held()) {
    note("refused " + how + " " + what);
    return DeviceNotOpened;
  }
  if (plug.poweredIn != plug.pluggedIn) {
    if (plug.poweredIn >= 0) note("power");
    plug.poweredIn = plug.pluggedIn;
  }
  note("open " + how + " " + what + " " + std::string(chip().name));
  *handle = new Handle(plug.pluggedIn);
  return Ok;
}

// One pin sample per byte clocked out: the outputs as driven, the inputs pulled high.
uint8_t sampleOf(const Handle& opened, uint8_t byte) {
  return static_cast<uint8_t>((byte & opened.outputs) | ~opened.outputs);
}

}  // namespace

#define CHECK_INJECTED(call)                   \
  do {                                         \
    FT_STATUS forced;                          \
    if (injected(call, forced)) return forced; \
  } while (false)

#define ALIVE(handle)                   \
  FT_STATUS dead = Ok;                  \
  Handle* opened = alive(handle, dead); \
  if (opened == nullptr) return dead

extern "C" {

__declspec(dllexport) void WINAPI StandInNote(const char* text) {
  note(std::string("# ") + text);
}

FT_STATUS WINAPI FT_CreateDeviceInfoList(DWORD* count) {
  CHECK_INJECTED("FT_CreateDeviceInfoList");
  *count = present() ? 1 : 0;
  if (plug.awayFor > 0) --plug.awayFor;
  return Ok;
}

FT_STATUS WINAPI FT_GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* nodes, DWORD* count) {
  CHECK_INJECTED("FT_GetDeviceInfoList");
  *count = present() ? 1 : 0;
  if (*count == 0) return Ok;
  FT_DEVICE_LIST_INFO_NODE& node = nodes[0];
  std::memset(&node, 0, sizeof node);
  node.Flags = held() ? 1 : (chip().mpsse ? 2 : 0);
  node.LocId = 0x111;
  if (!held()) {
    node.Type = chip().type;
    node.ID = 0x0403u << 16 | chip().product;
    std::strcpy(node.SerialNumber, Serial);
    std::strcpy(node.Description, chip().description);
  }
  return Ok;
}

FT_STATUS WINAPI FT_Open(int index, FT_HANDLE* handle) {
  CHECK_INJECTED("FT_Open");
  return openDevice("index", std::to_string(index), index == 0, handle);
}

FT_STATUS WINAPI FT_OpenEx(void* argument, DWORD how, FT_HANDLE* handle) {
  CHECK_INJECTED("FT_OpenEx");
  const std::string what = static_cast<const char*>(argument);
  if (how != OpenBySerial) return InvalidParameter;
  return openDevice("serial", what, what == Serial, handle);
}

FT_STATUS WINAPI FT_Close(FT_HANDLE handle) {
  CHECK_INJECTED("FT_Close");
  if (handle == nullptr) return InvalidHandle;
  delete static_cast<Handle*>(handle);
  note("close");
  return Ok;
}

FT_STATUS WINAPI FT_GetDeviceInfo(FT_HANDLE handle, ULONG* type, DWORD* id, char* serial,
                                  char* description, void*) {
  CHECK_INJECTED("FT_GetDeviceInfo");
  ALIVE(handle);
  *type = chip().type;
  *id = 0x0403u << 16 | chip().product;
  if (serial != nullptr) std::strcpy(serial, Serial);
  if (description != nullptr) std::strcpy(description, chip().description);
  return Ok;
}

FT_STATUS WINAPI FT_ResetDevice(FT_HANDLE handle) {
  CHECK_INJECTED("FT_ResetDevice");
  ALIVE(handle);
  opened->received.clear();
  return Ok;
}

FT_STATUS WINAPI FT_Purge(FT_HANDLE handle, ULONG mask) {
  CHECK_INJECTED("FT_Purge");
  ALIVE(handle);
  if ((mask & 1) != 0) opened->received.clear();
  return Ok;
}

FT_STATUS WINAPI FT_SetLatencyTimer(FT_HANDLE handle, UCHAR milliseconds) {
  CHECK_INJECTED("FT_SetLatencyTimer");
  ALIVE(handle);
  return milliseconds < 2 ? InvalidParameter : Ok;
}

FT_STATUS WINAPI FT_SetTimeouts(FT_HANDLE handle, ULONG readMs, ULONG writeMs) {
  CHECK_INJECTED("FT_SetTimeouts");
  ALIVE(handle);
  opened->readTimeout = readMs;
  opened->writeTimeout = writeMs;
  return Ok;
}

FT_STATUS WINAPI FT_SetUSBParameters(FT_HANDLE handle, ULONG in, ULONG) {
  CHECK_INJECTED("FT_SetUSBParameters");
  ALIVE(handle);
  if (in < 64 || in > 65536 || in % 64 != 0) return InvalidParameter;
  opened->inTransferSize = in;
  return Ok;
}

FT_STATUS WINAPI FT_SetBaudRate(FT_HANDLE handle, ULONG baudrate) {
  CHECK_INJECTED("FT_SetBaudRate");
  ALIVE(handle);
  return baudrate == 0 ? InvalidParameter : Ok;
}

FT_STATUS WINAPI FT_SetBitMode(FT_HANDLE handle, UCHAR outputs, UCHAR mode) {
  CHECK_INJECTED("FT_SetBitMode");
  ALIVE(handle);
  if (mode != 0x00 && mode != 0x01 && mode != 0x02 && mode != 0x04) return InvalidParameter;
  if (mode == 0x02 && !chip().mpsse) return InvalidParameter;
  opened->mode = mode;
  opened->outputs = outputs;
  opened->parser.reset();
  char line[32];
  std::snprintf(line, sizeof line, "bitmode %02x %02x", outputs, mode);
  note(line);
  return Ok;
}

FT_STATUS WINAPI FT_Write(FT_HANDLE handle, void* buffer, DWORD size, DWORD* written) {
  *written = 0;
  CHECK_INJECTED("FT_Write");
  const std::string unplug = environment("OM6211_FAKE_FTDI_UNPLUG");
  if (!unplug.empty() && ++plug.writes == std::atoi(unplug.c_str())) {
    const std::size_t colon = unplug.find(':');
    plug.awayFor = colon == std::string::npos ? 1 : std::atoi(unplug.c_str() + colon + 1);
    ++plug.pluggedIn;
    note("unplugged");
  }
  ALIVE(handle);
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  DWORD taken = size;
  if (opened->mode == 0x04) {
    const DWORD room =
        opened->inTransferSize - std::min<DWORD>(opened->inTransferSize, opened->received.size());
    taken = std::min(size, room);
    for (DWORD i = 0; i < taken; ++i) opened->received.push_back(sampleOf(*opened, bytes[i]));
  } else if (opened->mode == 0x02) {
    for (DWORD i = 0; i < size; ++i) opened->parser.take(bytes[i], opened->received);
  }
  if (taken > 0) note("write " + hex(bytes, taken));
  if (taken < size) {
    note("stall FT_Write took " + std::to_string(taken) + " of " + std::to_string(size) +
         " bytes: " + std::to_string(opened->received.size()) + " pin samples unread" +
         (opened->writeTimeout == 0 ? ", and no write timeout: it waits for ever" : ""));
  }
  *written = taken;
  return Ok;
}

FT_STATUS WINAPI FT_Read(FT_HANDLE handle, void* buffer, DWORD size, DWORD* read) {
  *read = 0;
  CHECK_INJECTED("FT_Read");
  ALIVE(handle);
  const DWORD count = std::min<DWORD>(size, opened->received.size());
  auto* bytes = static_cast<uint8_t*>(buffer);
  for (DWORD i = 0; i < count; ++i) {
    bytes[i] = opened->received.front();
    opened->received.pop_front();
  }
  note("read " + std::to_string(count));
  if (count < size && opened->readTimeout == 0) {
    note("stall FT_Read of " + std::to_string(size) + " bytes with " + std::to_string(count) +
         " queued and no read timeout: it waits for ever");
  }
  *read = count;
  return Ok;
}

}  // extern "C"
