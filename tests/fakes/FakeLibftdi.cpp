// A stand-in for libftdi1.so.2, for tests that run the real programs (the om6211 tool, LCDd with
// the module) on an FTDI adapter that is not there: put its folder first in LD_LIBRARY_PATH and
// the real libftdi calls of the program land here. It never touches the USB.
//
//   OM6211_FAKE_FTDI_CHIP        the chip an opened device is: 232R, 232H, 2232H, 4232H, 2232C,
//                                BM, AM or 230X (default 232H)
//   OM6211_FAKE_FTDI_LOG         the file each event is appended to, one line each:
//                                  power                     (the module powered afresh)
//                                  refused DESCRIPTION       (opened while unplugged)
//                                  purge                     (the read-back buffer flushed)
//                                  open DESCRIPTION CHIP
//                                  bitmode OUTPUTS MODE      (two hex bytes)
//                                  write HEX                 (the bytes that reached the chip)
//                                  close
//   OM6211_FAKE_FTDI_FAIL_WRITE  N: the N-th write of the process (1 = the first, either kind)
//                                fails, as when the adapter is unplugged; nothing reaches the chip
//   OM6211_FAKE_FTDI_PLUG        a file saying where the adapter is: "out" (unplugged: nothing
//                                opens, every call on an open context fails as with libusb's
//                                "no device"), or "in N" (plugged in for the N-th time; a
//                                missing file is "in 0"). A context opened before a replug stays
//                                dead; the module the adapter powers comes back blank, display
//                                off and out of step ("power" in the log, at the next opening).
//
// No device is ever listed (the programs' listing path stays away from libusb); any well-formed
// description opens. Calls on a context with no device open fail as libftdi's do.
#include <fcntl.h>
#include <ftdi.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <string_view>

namespace {

constexpr int WriteChunkSize = 4096;
constexpr int DeviceUnavailable = -666;

struct ChipName {
  std::string_view name;
  ftdi_chip_type type;
};
constexpr ChipName Chips[] = {
    {"AM", TYPE_AM},       {"BM", TYPE_BM},       {"2232C", TYPE_2232C}, {"232R", TYPE_R},
    {"2232H", TYPE_2232H}, {"4232H", TYPE_4232H}, {"232H", TYPE_232H},   {"230X", TYPE_230X},
};

int writesMade = 0;

constexpr int Unplugged = -1;

// The plug-in count of the adapter now, or Unplugged.
int plugged() {
  const char* path = std::getenv("OM6211_FAKE_FTDI_PLUG");
  if (path == nullptr) return 0;
  std::ifstream file(path);
  std::string where;
  int count = 0;
  if (!(file >> where)) return 0;
  if (where == "out") return Unplugged;
  return file >> count ? count : 0;
}

// The plug-in count each open context was opened in, and the one the module was last powered in.
std::map<const ftdi_context*, int> openedIn;
int poweredIn = 0;

// Appends one line to the log in a single write, so a reader never sees half of it.
void note(const std::string& line) {
  static const int log = [] {
    const char* path = std::getenv("OM6211_FAKE_FTDI_LOG");
    return path == nullptr ? -1 : open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  }();
  if (log < 0) return;
  const std::string text = line + "\n";
  if (write(log, text.data(), text.size()) != static_cast<ssize_t>(text.size())) std::abort();
}

std::string hex(const unsigned char* bytes, int size) {
  static constexpr char Digits[] = "0123456789abcdef";
  std::string text;
  text.reserve(static_cast<std::size_t>(size) * 2);
  for (int i = 0; i < size; ++i) {
    text += Digits[bytes[i] >> 4];
    text += Digits[bytes[i] & 0x0F];
  }
  return text;
}

int fail(ftdi_context* ftdi, int code, const char* message) {
  if (ftdi != nullptr) ftdi->error_str = message;
  return code;
}

bool isOpen(const ftdi_context* ftdi) {
  return ftdi != nullptr && ftdi->usb_dev != nullptr;
}

// Open, and on the adapter plugged in as when it was opened.
bool isAlive(const ftdi_context* ftdi) {
  if (!isOpen(ftdi)) return false;
  const auto opened = openedIn.find(ftdi);
  return opened != openedIn.end() && opened->second == plugged();
}

// The stand-in for libusb's device handle: only its being set matters.
libusb_device_handle* openHandle(ftdi_context* ftdi) {
  return reinterpret_cast<libusb_device_handle*>(ftdi);
}

// Counts a write; whether it is the one that fails.
bool writeFails() {
  const char* failing = std::getenv("OM6211_FAKE_FTDI_FAIL_WRITE");
  return ++writesMade == (failing == nullptr ? 0 : std::atoi(failing));
}

// A transfer finished when it was submitted: `result` is what ftdi_transfer_data_done returns.
ftdi_transfer_control* transfer(ftdi_context* ftdi, unsigned char* buffer, int size, int result) {
  auto* control =
      static_cast<ftdi_transfer_control*>(std::calloc(1, sizeof(ftdi_transfer_control)));
  control->completed = 1;
  control->buf = buffer;
  control->size = size;
  control->offset = result;
  control->ftdi = ftdi;
  return control;
}

}  // namespace

extern "C" {

ftdi_context* ftdi_new(void) {
  auto* ftdi = static_cast<ftdi_context*>(std::calloc(1, sizeof(ftdi_context)));
  if (ftdi == nullptr) return nullptr;
  ftdi->type = TYPE_BM;
  ftdi->writebuffer_chunksize = WriteChunkSize;
  ftdi->readbuffer_chunksize = WriteChunkSize;
  ftdi->interface = INTERFACE_A;
  return ftdi;
}

void ftdi_free(ftdi_context* ftdi) {
  if (ftdi == nullptr) return;
  ftdi_usb_close(ftdi);
  std::free(ftdi);
}

// As libftdi's: null before the first failure.
const char* ftdi_get_error_string(ftdi_context* ftdi) {
  return ftdi == nullptr ? nullptr : ftdi->error_str;
}

int ftdi_set_interface(ftdi_context* ftdi, ftdi_interface interface) {
  if (ftdi == nullptr) return fail(ftdi, -2, "USB device unavailable");
  if (isOpen(ftdi)) {
    return fail(ftdi, -3, "Interface can not be changed on an already open device");
  }
  ftdi->interface = interface;
  return 0;
}

int ftdi_usb_find_all(ftdi_context* ftdi, ftdi_device_list** devlist, int, int) {
  if (ftdi == nullptr) return -1;
  *devlist = nullptr;
  return 0;
}

void ftdi_list_free(ftdi_device_list** devlist) {
  if (devlist != nullptr) *devlist = nullptr;
}

int ftdi_usb_get_strings(ftdi_context* ftdi, libusb_device*, char*, int, char*, int, char*, int) {
  return fail(ftdi, -9, "no device is ever listed by the fake libftdi");
}

int ftdi_usb_open_string(ftdi_context* ftdi, const char* description) {
  if (ftdi == nullptr) return fail(ftdi, -12, "ftdi context invalid");
  const std::string_view text = description == nullptr ? "" : description;
  if (text.size() < 3 || text[1] != ':' || std::string_view("ids").find(text[0]) == text.npos) {
    return fail(ftdi, -11, "illegal description format");
  }
  const char* wanted = std::getenv("OM6211_FAKE_FTDI_CHIP");
  const std::string_view chip = wanted == nullptr ? "232H" : wanted;
  const int pluggedIn = plugged();
  if (pluggedIn == Unplugged) {
    note("refused " + std::string(text));
    return fail(ftdi, -3, "device not found");
  }
  for (const ChipName& known : Chips) {
    if (known.name != chip) continue;
    ftdi->type = known.type;
    ftdi->usb_dev = openHandle(ftdi);
    openedIn[ftdi] = pluggedIn;
    if (pluggedIn != poweredIn) note("power");
    poweredIn = pluggedIn;
    note("open " + std::string(text) + " " + std::string(chip));
    return 0;
  }
  return fail(ftdi, -3, "device not found (OM6211_FAKE_FTDI_CHIP names no chip)");
}

int ftdi_usb_close(ftdi_context* ftdi) {
  if (!isOpen(ftdi)) return 0;
  ftdi->usb_dev = nullptr;
  openedIn.erase(ftdi);
  note("close");
  return 0;
}

int ftdi_set_latency_timer(ftdi_context* ftdi, unsigned char latency) {
  if (!isAlive(ftdi)) return fail(ftdi, -3, "USB device unavailable");
  if (latency < 1) return fail(ftdi, -1, "latency out of range. Only valid for 1-255");
  return 0;
}

int ftdi_set_bitmode(ftdi_context* ftdi, unsigned char bitmask, unsigned char mode) {
  if (!isAlive(ftdi)) return fail(ftdi, -2, "USB device unavailable");
  ftdi->bitbang_mode = mode;
  ftdi->bitbang_enabled = mode == BITMODE_RESET ? 0 : 1;
  char line[32];
  std::snprintf(line, sizeof line, "bitmode %02x %02x", bitmask, mode);
  note(line);
  return 0;
}

int ftdi_set_baudrate(ftdi_context* ftdi, int baudrate) {
  if (!isAlive(ftdi)) return fail(ftdi, -3, "USB device unavailable");
  if (baudrate <= 0) return fail(ftdi, -1, "invalid baudrate");
  ftdi->baudrate = ftdi->bitbang_enabled != 0 ? baudrate * 4 : baudrate;
  return 0;
}

int ftdi_tcioflush(ftdi_context* ftdi) {
  return isAlive(ftdi) ? 0 : fail(ftdi, -3, "USB device unavailable");
}

int ftdi_tciflush(ftdi_context* ftdi) {
  if (!isAlive(ftdi)) return fail(ftdi, -2, "USB device unavailable");
  note("purge");
  return 0;
}

int ftdi_write_data_get_chunksize(ftdi_context* ftdi, unsigned int* chunksize) {
  if (ftdi == nullptr) return -1;
  *chunksize = ftdi->writebuffer_chunksize;
  return 0;
}

int ftdi_write_data(ftdi_context* ftdi, const unsigned char* buf, int size) {
  if (!isAlive(ftdi)) return fail(ftdi, DeviceUnavailable, "USB device unavailable");
  if (writeFails()) return fail(ftdi, DeviceUnavailable, "USB device unavailable");
  note("write " + hex(buf, size));
  return size;
}

ftdi_transfer_control* ftdi_write_data_submit(ftdi_context* ftdi, unsigned char* buf, int size) {
  if (!isAlive(ftdi)) return nullptr;
  if (writeFails()) return transfer(ftdi, buf, size, -1);
  note("write " + hex(buf, size));
  return transfer(ftdi, buf, size, size);
}

// The pins read back: the chip samples them as it clocks each byte out; the tests drop them.
ftdi_transfer_control* ftdi_read_data_submit(ftdi_context* ftdi, unsigned char* buf, int size) {
  if (!isAlive(ftdi)) return nullptr;
  std::memset(buf, 0, static_cast<std::size_t>(size));
  return transfer(ftdi, buf, size, size);
}

int ftdi_transfer_data_done(ftdi_transfer_control* tc) {
  const int result = tc->offset;
  std::free(tc);
  return result;
}

void ftdi_transfer_data_cancel(ftdi_transfer_control* tc, timeval*) {
  std::free(tc);
}

}  // extern "C"
