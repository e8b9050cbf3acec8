// A stand-in for libusb-1.0.so.0 beside the stand-in libftdi, so that a program on it cannot
// reach the USB by any path: the libusb calls the programs make themselves (on listed devices,
// which the stand-in libftdi never lists) stop the program, naming the call.
#include <libusb.h>

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void refuse(const char* call) {
  std::fprintf(stderr, "%s called: the stand-in libftdi lists no device to ask about\n", call);
  std::abort();
}

}  // namespace

extern "C" {

int libusb_get_device_descriptor(libusb_device*, libusb_device_descriptor*) {
  refuse("libusb_get_device_descriptor");
}
uint8_t libusb_get_bus_number(libusb_device*) {
  refuse("libusb_get_bus_number");
}
uint8_t libusb_get_device_address(libusb_device*) {
  refuse("libusb_get_device_address");
}

}  // extern "C"
