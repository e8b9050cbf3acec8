#include "host/PortSelection.h"

#include <charconv>
#include <cstdio>
#include <span>

#include "host/KeyValueList.h"

#include "host/FtdiSelection.h"
#include "ports/portable/Remedy.h"

namespace om6211 {
namespace {

// Every back end as it is written, with what it is; the error of any text that does not read
// lists them all.
struct BackEnd {
  std::string_view syntax;
  std::string_view meaning;
};
constexpr BackEnd BackEnds[] = {
    {"virtual", "the virtual panel on the data register 378"},
    {"virtual:BASE", "the virtual panel on another data register, BASE in hexadecimal"},
    {"ppdev:/dev/parportN", "the kernel's parallel-port device"},
    {"direct:BASE", "direct port I/O at BASE, x86 only, root or CAP_SYS_RAWIO"},
    {"gpio:CHIP:clk=N,din=N,res=N[,light=N][,cs=N]",
     "the module's lines on lines N of the GPIO chip CHIP (gpiochip0, a path, a name or a "
     "label)"},
    {"spi:/dev/spidevB.C:res=CHIP/N[,light=CHIP/N][,hz=HZ]",
     "clock and data on the SPI device at up to 4000000 Hz, reset and backlight on GPIO lines"},
    {"ftdi:[DESCRIPTION][:mode=bitbang|mpsse][:pins=SIGNAL=LINE,...]",
     "an FTDI USB adapter (the first one found, or i:VENDOR:PRODUCT[:INDEX], "
     "s:VENDOR:PRODUCT:SERIAL, d:BUS/DEVICE)"},
};

// Port addresses are 16 bits; the control register sits two above the base.
constexpr uint32_t HighestBase = 0xFFFD;
// GPIO line offsets are 32 bits; no chip has more lines than this.
constexpr uint32_t HighestOffset = 0xFFFF;

[[noreturn]] void refuse(std::string_view text, std::string_view reason,
                         std::string_view anchor = "port-syntax") {
  std::string message = "unknown port back end '" + std::string(text) + "': ";
  if (!reason.empty()) message += std::string(reason) + "; ";
  message += "this build's port back ends are";
  const char* separator = " ";
  for (const BackEnd& backEnd : BackEnds) {
    message += separator + std::string(backEnd.syntax) + " (" + std::string(backEnd.meaning) + ")";
    separator = ", ";
  }
  throw PortSelectionError(message + "." + troubleshootingReference(anchor));
}

// Reads the whole of `digits` as a number of `base` from `lowest` to `highest`.
std::optional<uint32_t> number(std::string_view digits, int base, uint32_t lowest,
                               uint32_t highest) {
  uint32_t value = 0;
  const char* end = digits.data() + digits.size();
  const auto [stop, error] = std::from_chars(digits.data(), end, value, base);
  if (digits.empty() || error != std::errc() || stop != end || value < lowest || value > highest) {
    return std::nullopt;
  }
  return value;
}

uint32_t parseBase(std::string_view text, std::string_view digits) {
  const auto base = number(digits, 16, 0, HighestBase);
  if (!base) refuse(text, "BASE is a hexadecimal port address from 0 to fffd");
  return *base;
}

// "gpiochipN" is the chip's device; a path or a chip's name or label stays as given.
std::string chipOf(std::string_view chip) {
  if (chip.starts_with("gpiochip") && number(chip.substr(8), 10, 0, 9999)) {
    return "/dev/" + std::string(chip);
  }
  return std::string(chip);
}

// The KEY=VALUE list after a device, each key a member of the selection; `read` fills it.
struct Key {
  std::string_view name;
  std::optional<GpioLine> PortSelection::*line;  // none for hz
  bool required;
};

template <typename Read>
void readKeys(std::string_view text, std::string_view list, std::span<const Key> keys,
              PortSelection& selection, Read&& read) {
  try {
    for (const auto& [key, setting] : readKeyValueList(list, ',', keys, "setting")) {
      read(*key, setting.value);
    }
  } catch (const KeyValueError& problem) {
    refuse(text, problem.what());
  }
  for (const Key& key : keys) {
    if (key.required && selection.*(key.line) == std::nullopt) {
      refuse(text, "name the line of " + std::string(key.name));
    }
  }
  // The kernel would refuse a line requested twice as busy; say what is wrong instead.
  for (std::size_t i = 0; i < keys.size(); ++i) {
    for (std::size_t j = i + 1; j < keys.size(); ++j) {
      if (keys[i].line == nullptr || keys[j].line == nullptr) continue;
      const auto& first = selection.*(keys[i].line);
      if (first && first == selection.*(keys[j].line)) {
        refuse(text,
               "line " + std::to_string(first->offset) + " of " + first->chip +
                   " is named twice (" + std::string(keys[i].name) + " and " +
                   std::string(keys[j].name) + ")",
               "gpio-line-twice");
      }
    }
  }
}

constexpr Key GpioKeys[] = {
    {"clk", &PortSelection::clock, true},      {"din", &PortSelection::data, true},
    {"res", &PortSelection::reset, true},      {"light", &PortSelection::backlight, false},
    {"cs", &PortSelection::chipSelect, false},
};
constexpr Key SpiKeys[] = {
    {"res", &PortSelection::reset, true},
    {"light", &PortSelection::backlight, false},
    {"hz", nullptr, false},
};

// The device before the settings: "DEVICE:KEY=VALUE,...".
std::pair<std::string_view, std::string_view> deviceAndKeys(std::string_view text,
                                                            std::string_view argument,
                                                            std::string_view example) {
  const std::size_t colon = argument.find(':');
  if (argument.empty() || colon == 0 || colon == std::string_view::npos) {
    refuse(text, "name the device and the lines, e.g. " + std::string(example));
  }
  return {argument.substr(0, colon), argument.substr(colon + 1)};
}

PortSelection parseGpio(std::string_view text, std::string_view argument) {
  const auto [chip, list] = deviceAndKeys(text, argument, "gpio:gpiochip0:clk=11,din=10,res=25");
  PortSelection selection{.kind = PortSelection::Kind::Gpio, .device = chipOf(chip)};
  readKeys(text, list, GpioKeys, selection, [&](const Key& key, std::string_view value) {
    const auto offset = number(value, 10, 0, HighestOffset);
    if (!offset) refuse(text, std::string(key.name) + " takes a line number of the chip");
    selection.*(key.line) = GpioLine{selection.device, *offset};
  });
  return selection;
}

PortSelection parseSpi(std::string_view text, std::string_view argument) {
  const auto [device, list] = deviceAndKeys(text, argument, "spi:/dev/spidev0.0:res=gpiochip0/25");
  PortSelection selection{.kind = PortSelection::Kind::Spi, .device = std::string(device)};
  readKeys(text, list, SpiKeys, selection, [&](const Key& key, std::string_view value) {
    if (key.line == nullptr) {
      const auto hz = number(value, 10, 1, UINT32_MAX);
      if (!hz) refuse(text, "hz takes the serial clock in hertz");
      if (*hz > PortSelection::MaxSpeedHz) {
        refuse(text,
               "hz=" + std::string(value) +
                   " is above the controller's 4 MHz; give at most hz=4000000",
               "spi-clock-too-fast");
      }
      selection.speedHz = *hz;
      return;
    }
    const std::size_t slash = value.rfind('/');
    const auto offset = slash == std::string_view::npos
                            ? std::nullopt
                            : number(value.substr(slash + 1), 10, 0, HighestOffset);
    if (!offset || slash == 0) {
      refuse(text, std::string(key.name) + " takes CHIP/N, a GPIO chip and a line number");
    }
    selection.*(key.line) = GpioLine{chipOf(value.substr(0, slash)), *offset};
  });
  return selection;
}

}  // namespace

std::string PortSelection::description() const {
  char hexBase[8];
  std::snprintf(hexBase, sizeof hexBase, "%x", static_cast<unsigned>(base));
  switch (kind) {
    case Kind::Virtual:
      return std::string("the virtual panel at ") + hexBase;
    case Kind::Direct:
      return std::string("direct I/O at ") + hexBase;
    case Kind::Gpio:
      return "GPIO lines of " + device;
    case Kind::Ftdi:
      return ftdi.description.empty() ? "the first FTDI adapter"
                                      : "the FTDI adapter " + ftdi.description;
    case Kind::Ppdev:
    case Kind::Spi:
      break;
  }
  return device;
}

GpioWiring PortSelection::gpioWiring() const {
  auto offset = [](const std::optional<GpioLine>& line) -> std::optional<uint32_t> {
    if (!line) return std::nullopt;
    return line->offset;
  };
  return {.chip = device,
          .clock = offset(clock),
          .data = offset(data),
          .reset = offset(reset),
          .backlight = offset(backlight),
          .chipSelect = offset(chipSelect)};
}

SpidevConfig PortSelection::spidevConfig() const {
  return {.device = device,
          .speedHz = speedHz,
          .reset = reset.value_or(GpioLine{}),
          .backlight = backlight};
}

PortSelection parsePortSelection(std::string_view text) {
  const std::size_t colon = text.find(':');
  const std::string_view name = text.substr(0, colon);
  const bool hasArgument = colon != std::string_view::npos;
  const std::string_view argument = hasArgument ? text.substr(colon + 1) : std::string_view();
  if (name == "virtual") {
    if (!hasArgument) return {};
    return {.kind = PortSelection::Kind::Virtual, .base = parseBase(text, argument)};
  }
  if (name == "direct" && hasArgument) {
    return {.kind = PortSelection::Kind::Direct, .base = parseBase(text, argument)};
  }
  if (name == "ppdev" && hasArgument) {
    if (argument.empty()) refuse(text, "name the device, e.g. ppdev:/dev/parport0");
    return {.kind = PortSelection::Kind::Ppdev, .device = std::string(argument)};
  }
  if (name == "gpio" && hasArgument) return parseGpio(text, argument);
  if (name == "spi" && hasArgument) return parseSpi(text, argument);
  if (name == "ftdi") {
    try {
      return {.kind = PortSelection::Kind::Ftdi, .ftdi = parseFtdiSelection(argument)};
    } catch (const std::invalid_argument& error) {
      // The adapter's own message shows its whole syntax.
      throw PortSelectionError(error.what());
    }
  }
  refuse(text, "");
}

}  // namespace om6211
