#include "ports/ftdi/D2xxTransport.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

namespace om6211 {
namespace {

using FtStatus = ULONG;
using FtHandle = void*;

constexpr FtStatus Ok = 0;
constexpr DWORD OpenBySerial = 1;
constexpr ULONG PurgeBoth = 1 | 2;
constexpr ULONG OpenedFlag = 1;
// The transfer size in both directions, D2XX's default: what one write may carry, and the
// read-back a synchronous bit-bang write may leave unread before the chip stalls.
constexpr DWORD TransferSize = 4096;
// No read or write waits longer: a chip that stopped answering fails the call instead.
constexpr ULONG TimeoutMs = 1000;
// D2XX takes no latency below 2 ms.
constexpr uint8_t ShortestLatency = 2;

// The status of a transport failure that is no FT_STATUS.
constexpr int DriverMissing = -100;
constexpr int NotADescription = -101;
constexpr int NoMeaningOnWindows = -102;

constexpr std::string_view StatusNames[] = {
    "FT_OK",
    "FT_INVALID_HANDLE",
    "FT_DEVICE_NOT_FOUND",
    "FT_DEVICE_NOT_OPENED",
    "FT_IO_ERROR",
    "FT_INSUFFICIENT_RESOURCES",
    "FT_INVALID_PARAMETER",
    "FT_INVALID_BAUD_RATE",
    "FT_DEVICE_NOT_OPENED_FOR_ERASE",
    "FT_DEVICE_NOT_OPENED_FOR_WRITE",
    "FT_FAILED_TO_WRITE_DEVICE",
    "FT_EEPROM_READ_FAILED",
    "FT_EEPROM_WRITE_FAILED",
    "FT_EEPROM_ERASE_FAILED",
    "FT_EEPROM_NOT_PRESENT",
    "FT_EEPROM_NOT_PROGRAMMED",
    "FT_INVALID_ARGS",
    "FT_NOT_SUPPORTED",
    "FT_OTHER_ERROR",
    "FT_DEVICE_LIST_NOT_READY",
};

constexpr std::string_view InstallDriver =
    "Install FTDI's D2XX driver (the CDM driver package from FTDI, or Windows Update with the "
    "adapter plugged in); a 32-bit host needs the 32-bit FTD2XX.DLL, which 64-bit Windows keeps "
    "in C:\\Windows\\SysWOW64.";
constexpr std::string_view PlugIn =
    "Plug the adapter in: Device Manager should list it under 'Universal Serial Bus "
    "controllers' as 'USB Serial Converter'; an adapter with other IDs than FTDI's is named "
    "with i:VENDOR:PRODUCT.";
constexpr std::string_view NameOne =
    "Name one of the devices found (i:VENDOR:PRODUCT[:INDEX] or s:VENDOR:PRODUCT:SERIAL), or "
    "leave the description out for the first one.";
constexpr std::string_view FreeDevice =
    "Close the program that holds it, usually a terminal on its COM port, or another host of "
    "the display; D2XX cannot open an adapter whose COM port is in use.";
constexpr std::string_view Syntax =
    "On Windows a description is i:VENDOR:PRODUCT[:INDEX] or s:VENDOR:PRODUCT:SERIAL, the "
    "numbers as C writes them (0x0403, 1); d:BUS/DEVICE has no meaning there.";

constexpr Remedy Remedies[] = {
    {.call = "ftdi_usb_find_all",
     .codes = DriverMissing,
     .problem = "FTDI's D2XX driver is not installed",
     .fix = InstallDriver,
     .anchor = {},
     .error = ENOENT},
    {.call = "ftdi_usb_open_string",
     .codes = DriverMissing,
     .problem = "FTDI's D2XX driver is not installed",
     .fix = InstallDriver,
     .anchor = {},
     .error = ENOENT},
    {.call = "ftdi_usb_find_all",
     .codes = 0,
     .problem = "no FTDI device found",
     .fix = PlugIn,
     .anchor = "ftdi-not-found",
     .error = ENODEV,
     .showsFindings = true},
    {.call = "ftdi_usb_open_string",
     .codes = -2,
     .problem = "no such FTDI device",
     .fix = NameOne,
     .anchor = "ftdi-name-one",
     .error = ENODEV,
     .showsFindings = true},
    {.call = "ftdi_usb_open_string",
     .codes = -3,
     .problem = "the adapter is held by another program",
     .fix = FreeDevice,
     .anchor = "ftdi-interface-busy",
     .error = EBUSY,
     .showsFindings = true},
    {.call = "ftdi_usb_open_string",
     .codes = {NotADescription, NoMeaningOnWindows},
     .problem = "not a device description",
     .fix = Syntax,
     .anchor = "ftdi-selection",
     .error = EINVAL},
};

// The D2XX calls, resolved by their plain names.
struct D2xx {
  FtStatus(WINAPI* createDeviceInfoList)(DWORD* count);
  FtStatus(WINAPI* getDeviceInfoList)(void* nodes, DWORD* count);
  FtStatus(WINAPI* open)(int index, FtHandle* handle);
  FtStatus(WINAPI* openEx)(void* argument, DWORD how, FtHandle* handle);
  FtStatus(WINAPI* close)(FtHandle handle);
  FtStatus(WINAPI* getDeviceInfo)(FtHandle handle, ULONG* type, DWORD* id, char* serial,
                                  char* description, void* reserved);
  FtStatus(WINAPI* resetDevice)(FtHandle handle);
  FtStatus(WINAPI* purge)(FtHandle handle, ULONG mask);
  FtStatus(WINAPI* setLatencyTimer)(FtHandle handle, UCHAR milliseconds);
  FtStatus(WINAPI* setTimeouts)(FtHandle handle, ULONG readMs, ULONG writeMs);
  FtStatus(WINAPI* setUsbParameters)(FtHandle handle, ULONG in, ULONG out);
  FtStatus(WINAPI* setBaudRate)(FtHandle handle, ULONG baudrate);
  FtStatus(WINAPI* setBitMode)(FtHandle handle, UCHAR outputs, UCHAR mode);
  FtStatus(WINAPI* write)(FtHandle handle, void* bytes, DWORD size, DWORD* written);
  FtStatus(WINAPI* read)(FtHandle handle, void* bytes, DWORD size, DWORD* read);
};

struct DeviceNode {
  ULONG flags;
  ULONG type;
  ULONG id;
  DWORD locationId;
  char serial[16];
  char description[64];
  FtHandle handle;
};

template <typename Function>
bool resolve(HMODULE library, const char* name, Function& function, std::string& missing) {
  const FARPROC address = GetProcAddress(library, name);
  if (address == nullptr) {
    missing = name;
    return false;
  }
  function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
  return true;
}

// The calls, bound on first use and kept until the process ends: freeing the library would
// fall to the DLL's unloading, where Windows forbids it. While FTD2XX.DLL cannot be loaded,
// each use tries again; `problem` says why not.
const D2xx* boundD2xx(std::string& problem) {
  static D2xx calls{};
  static bool bound = false;
  if (bound) return &calls;
  const HMODULE library = LoadLibraryA("FTD2XX.DLL");
  if (library == nullptr) {
    problem = "FTD2XX.DLL cannot be loaded (Windows error " + std::to_string(GetLastError()) + ")";
    return nullptr;
  }
  std::string missing;
  bound = resolve(library, "FT_CreateDeviceInfoList", calls.createDeviceInfoList, missing) &&
          resolve(library, "FT_GetDeviceInfoList", calls.getDeviceInfoList, missing) &&
          resolve(library, "FT_Open", calls.open, missing) &&
          resolve(library, "FT_OpenEx", calls.openEx, missing) &&
          resolve(library, "FT_Close", calls.close, missing) &&
          resolve(library, "FT_GetDeviceInfo", calls.getDeviceInfo, missing) &&
          resolve(library, "FT_ResetDevice", calls.resetDevice, missing) &&
          resolve(library, "FT_Purge", calls.purge, missing) &&
          resolve(library, "FT_SetLatencyTimer", calls.setLatencyTimer, missing) &&
          resolve(library, "FT_SetTimeouts", calls.setTimeouts, missing) &&
          resolve(library, "FT_SetUSBParameters", calls.setUsbParameters, missing) &&
          resolve(library, "FT_SetBaudRate", calls.setBaudRate, missing) &&
          resolve(library, "FT_SetBitMode", calls.setBitMode, missing) &&
          resolve(library, "FT_Write", calls.write, missing) &&
          resolve(library, "FT_Read", calls.read, missing);
  if (!bound) {
    problem = "the FTD2XX.DLL loaded has no " + missing + ", so it is not FTDI's D2XX driver";
    FreeLibrary(library);
    return nullptr;
  }
  return &calls;
}

FtdiChip chipOf(ULONG type) {
  constexpr FtdiChip Chips[] = {
      FtdiChip::Bm, FtdiChip::Am,      FtdiChip::Unknown, FtdiChip::Unknown, FtdiChip::Ft2232c,
      FtdiChip::R,  FtdiChip::Ft2232h, FtdiChip::Ft4232h, FtdiChip::Ft232h,  FtdiChip::X};
  return type < std::size(Chips) ? Chips[type] : FtdiChip::Unknown;
}

std::string hex4(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04x", value);
  return text;
}

// A number as C writes it (0x0403, 1), as the description's fields are.
bool numberOf(std::string_view text, unsigned& value) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

// A description as D2XX opens it: i:VENDOR:PRODUCT[:INDEX] or s:VENDOR:PRODUCT:SERIAL.
struct Description {
  bool bySerial = false;
  unsigned vendor = 0;
  unsigned product = 0;
  unsigned index = 0;
  std::string serial;
};

std::optional<Description> parsed(std::string_view text) {
  std::vector<std::string_view> fields;
  // The serial is the rest, colons included.
  for (std::size_t start = 0; fields.size() < 4;) {
    const std::size_t colon = fields.size() == 3 ? std::string_view::npos : text.find(':', start);
    fields.push_back(text.substr(start, colon - start));
    if (colon == std::string_view::npos) break;
    start = colon + 1;
  }
  Description named;
  if (fields.size() < 3 || !numberOf(fields[1], named.vendor) ||
      !numberOf(fields[2], named.product) || named.vendor > 0xFFFF || named.product > 0xFFFF) {
    return std::nullopt;
  }
  if (fields[0] == "s" && fields.size() == 4 && !fields[3].empty()) {
    named.bySerial = true;
    named.serial = fields[3];
    return named;
  }
  if (fields[0] == "i" && (fields.size() == 3 || numberOf(fields[3], named.index))) return named;
  return std::nullopt;
}

// Whether a listed device may have the IDs `id`: a device another program holds may show none,
// and then counts among the devices of every ID.
bool mayHave(const DeviceNode& node, ULONG id) {
  return node.id == id || node.id == 0;
}

// Where the device `named` is in the list; -1 when it is not there.
int placeInList(const std::vector<DeviceNode>& nodes, const Description& named) {
  const ULONG id = named.vendor << 16 | named.product;
  for (std::size_t i = 0, seen = 0; i < nodes.size(); ++i) {
    if (mayHave(nodes[i], id) && seen++ == named.index) return static_cast<int>(i);
  }
  return -1;
}

// The INDEX of i:VENDOR:PRODUCT:INDEX that names the `i`-th device of the list.
std::size_t indexAmongSameIds(const std::vector<DeviceNode>& nodes, std::size_t i) {
  return static_cast<std::size_t>(
      std::count_if(nodes.begin(), nodes.begin() + static_cast<std::ptrdiff_t>(i),
                    [&](const DeviceNode& other) { return mayHave(other, nodes[i].id); }));
}

class D2xxTransport final : public FtdiTransport {
 public:
  D2xxTransport() = default;
  ~D2xxTransport() override { close(); }
  D2xxTransport(const D2xxTransport&) = delete;
  D2xxTransport& operator=(const D2xxTransport&) = delete;

  int listDevices(std::vector<FtdiDeviceInfo>& found) override {
    std::vector<DeviceNode> nodes;
    if (const int result = list(nodes); result < 0) return result;
    found.clear();
    for (std::size_t i = 0; i < nodes.size(); ++i) {
      const DeviceNode& node = nodes[i];
      FtdiDeviceInfo info;
      info.vendor = static_cast<uint16_t>(node.id >> 16);
      info.product = static_cast<uint16_t>(node.id);
      info.stringsRead = true;
      info.serial.assign(node.serial, strnlen(node.serial, sizeof node.serial));
      info.description.assign(node.description, strnlen(node.description, sizeof node.description));
      // A device another program holds shows neither.
      if ((node.flags & OpenedFlag) != 0 && info.serial.empty()) {
        info.description = "in use by another program";
      }
      info.locator = info.serial.empty()
                         ? "i:" + hex4(info.vendor) + ":" + hex4(info.product) + ":" +
                               std::to_string(indexAmongSameIds(nodes, i))
                         : "s:" + hex4(info.vendor) + ":" + hex4(info.product) + ":" + info.serial;
      found.push_back(std::move(info));
    }
    return static_cast<int>(found.size());
  }

  int open(const std::string& description) override {
    close();
    const D2xx* d2xx = calls();
    if (d2xx == nullptr) return DriverMissing;
    if (description.starts_with("d:")) {
      return failed(NoMeaningOnWindows, "d:BUS/DEVICE names no device on Windows");
    }
    const std::optional<Description> named = parsed(description);
    if (!named) return failed(NotADescription, "'" + description + "' is no description");
    FtHandle handle = nullptr;
    if (named->bySerial) {
      std::string serial = named->serial;
      const FtStatus opened = d2xx->openEx(serial.data(), OpenBySerial, &handle);
      if (const int result = status("FT_OpenEx", opened); result < 0) return result;
    } else {
      std::vector<DeviceNode> nodes;
      if (const int result = list(nodes); result < 0) return result;
      const int listIndex = placeInList(nodes, *named);
      if (listIndex < 0) return failed(-2, "FT_Open: no device with these IDs at this index");
      if (const int result = status("FT_Open", d2xx->open(listIndex, &handle)); result < 0) {
        return result;
      }
    }
    handle_ = handle;
    return setUp();
  }

  FtdiChip chipType() const override { return chip_; }

  int close() override {
    if (handle_ == nullptr) return 0;
    const FtHandle handle = handle_;
    handle_ = nullptr;
    return status("FT_Close", d2xx_->close(handle));
  }

  int setLatencyTimer(uint8_t milliseconds) override {
    return onDevice("FT_SetLatencyTimer", [&] {
      return d2xx_->setLatencyTimer(handle_, std::max(milliseconds, ShortestLatency));
    });
  }
  int setBitmode(uint8_t outputs, FtdiBitmode mode) override {
    return onDevice("FT_SetBitMode",
                    [&] { return d2xx_->setBitMode(handle_, outputs, static_cast<UCHAR>(mode)); });
  }
  // libftdi scales a bit-bang rate by 4 before it works out the chip's divisor, D2XX does not:
  // scaled here, the chip gets the same divisor, and the pins the same pace, on both.
  int setBaudrate(int baudrate) override {
    return onDevice("FT_SetBaudRate",
                    [&] { return d2xx_->setBaudRate(handle_, static_cast<ULONG>(baudrate) * 4); });
  }
  int purge() override {
    return onDevice("FT_Purge", [&] { return d2xx_->purge(handle_, PurgeBoth); });
  }
  int chunkSize() override { return static_cast<int>(TransferSize); }

  int write(const uint8_t* bytes, int size) override {
    DWORD written = 0;
    const int result = onDevice("FT_Write", [&] {
      return d2xx_->write(handle_, const_cast<uint8_t*>(bytes), static_cast<DWORD>(size), &written);
    });
    return result < 0 ? result : static_cast<int>(written);
  }

  // Each transfer's samples are read before the next goes out, so the receive side never
  // holds more than one transfer's worth and the chip never stalls.
  int writeReadingBack(const uint8_t* bytes, int size) override {
    int done = 0;
    while (done < size) {
      const int part = std::min(size - done, static_cast<int>(TransferSize));
      const int written = write(bytes + done, part);
      if (written < 0) return written;
      samples_.resize(static_cast<std::size_t>(written));
      DWORD read = 0;
      const int result = onDevice("FT_Read", [&] {
        return d2xx_->read(handle_, samples_.data(), static_cast<DWORD>(written), &read);
      });
      if (result < 0) return result;
      if (read != static_cast<DWORD>(written)) {
        // Samples left over would be taken for the next write's.
        d2xx_->purge(handle_, PurgeBoth);
        return failed(-4, "FT_Read: " + std::to_string(read) + " of " + std::to_string(written) +
                              " pin samples came back within " + std::to_string(TimeoutMs) + " ms");
      }
      done += written;
      if (written < part) break;  // cut short: the caller says so
    }
    return done;
  }

  std::string errorString() const override { return error_; }
  std::span<const Remedy> remedies() const override { return Remedies; }

 private:
  const D2xx* calls() {
    if (d2xx_ == nullptr) {
      std::string problem;
      d2xx_ = boundD2xx(problem);
      if (d2xx_ == nullptr) error_ = problem;
    }
    return d2xx_;
  }

  int list(std::vector<DeviceNode>& nodes) {
    const D2xx* d2xx = calls();
    if (d2xx == nullptr) return DriverMissing;
    DWORD count = 0;
    if (const int result = status("FT_CreateDeviceInfoList", d2xx->createDeviceInfoList(&count));
        result < 0) {
      return result;
    }
    nodes.assign(count, DeviceNode{});
    if (count == 0) return 0;
    if (const int result =
            status("FT_GetDeviceInfoList", d2xx->getDeviceInfoList(nodes.data(), &count));
        result < 0) {
      return result;
    }
    nodes.resize(std::min<std::size_t>(count, nodes.size()));
    return static_cast<int>(nodes.size());
  }

  // The opened device's type, transfer sizes and timeouts, and nothing queued either way.
  int setUp() {
    ULONG type = 0;
    DWORD id = 0;
    int result = onDevice("FT_GetDeviceInfo", [&] {
      return d2xx_->getDeviceInfo(handle_, &type, &id, nullptr, nullptr, nullptr);
    });
    if (result >= 0)
      result = onDevice("FT_ResetDevice", [&] { return d2xx_->resetDevice(handle_); });
    if (result >= 0) {
      result = onDevice("FT_SetUSBParameters", [&] {
        return d2xx_->setUsbParameters(handle_, TransferSize, TransferSize);
      });
    }
    if (result >= 0) {
      result = onDevice("FT_SetTimeouts",
                        [&] { return d2xx_->setTimeouts(handle_, TimeoutMs, TimeoutMs); });
    }
    if (result >= 0) result = purge();
    if (result < 0) {
      const std::string problem = error_;
      close();
      error_ = problem;
      return result;
    }
    chip_ = chipOf(type);
    return 0;
  }

  template <typename Call>
  int onDevice(const char* name, Call&& call) {
    if (handle_ == nullptr) return failed(-1, std::string(name) + ": no device open");
    return status(name, call());
  }

  int status(const char* name, FtStatus status) {
    if (status == Ok) return 0;
    const std::string_view known =
        status < std::size(StatusNames) ? StatusNames[status] : std::string_view("FT_STATUS");
    return failed(-static_cast<int>(status), std::string(name) + " returned " + std::string(known) +
                                                 " (" + std::to_string(status) + ")");
  }

  int failed(int code, std::string message) {
    error_ = std::move(message);
    return code;
  }

  const D2xx* d2xx_ = nullptr;
  FtHandle handle_ = nullptr;
  FtdiChip chip_ = FtdiChip::Unknown;
  std::vector<uint8_t> samples_;
  std::string error_;
};

}  // namespace

std::unique_ptr<FtdiTransport> newD2xxTransport() {
  return std::make_unique<D2xxTransport>();
}

}  // namespace om6211
