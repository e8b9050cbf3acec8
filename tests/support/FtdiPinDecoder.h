#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "module/PinLevels.h"
#include "panel/VirtualPanel.h"
#include "ports/ftdi/FtdiPins.h"
#include "ports/ftdi/FtdiTransport.h"

namespace om6211::testing {

// What an FTDI chip does with the bytes written to it, seen at the module: pin states in
// synchronous bit-bang mode, commands in MPSSE mode, parsed byte by byte as the engine does (a
// command cut short takes the next bytes written as its own until the mode is set afresh).
// The module's pin levels are handed to a virtual panel as the parallel-port register writes
// that make them. Anything a module could not take is noted in `problems`.
class FtdiPinDecoder {
 public:
  FtdiPinDecoder(panel::VirtualPanel& panel, const FtdiPins& pins) : panel_(&panel), pins_(pins) {}

  void setMode(uint8_t outputs, FtdiBitmode mode) {
    outputs_ = outputs;
    mode_ = mode;
    argumentsNeeded_ = 0;
    dataBytesLeft_ = 0;
    // The bit-bang mode drives its outputs low until the first byte.
    if (mode == FtdiBitmode::SynchronousBitbang) applyPins(0x00);
  }
  // The module powered afresh (the adapter that powers it plugged in again): blank, display
  // off, out of step, its lines undriven until a mode is set.
  void powerCycle() {
    panel_->controller().reset();
    setMode(0, FtdiBitmode::Reset);
  }
  void take(std::span<const uint8_t> bytes) {
    for (uint8_t byte : bytes) {
      if (mode_ == FtdiBitmode::SynchronousBitbang) {
        applyPins(byte);
      } else if (mode_ == FtdiBitmode::Mpsse) {
        takeCommandByte(byte);
      } else {
        problems.push_back("a byte written outside the pin modes");
      }
    }
  }

  // The MPSSE clock the set-up commands chose.
  uint32_t mpsseClockHz() const {
    return (divideBy5Off_ ? 60'000'000u : 12'000'000u) / ((1u + divisor_) * 2u);
  }

  std::vector<std::string> problems;

 private:
  // The levels at the module; a line not driven leaves its input at rest.
  module::PinLevels levelsOf(uint8_t pins) const {
    const module::PinLevels rest;
    auto level = [&](int line, bool atRest) {
      return line >= 0 && ((outputs_ >> line) & 1) != 0 ? ((pins >> line) & 1) != 0 : atRest;
    };
    return {.clock = level(pins_.clock, rest.clock),
            .data = level(pins_.data, rest.data),
            .resetReleased = level(pins_.reset, rest.resetReleased),
            .backlightOn = level(pins_.backlight, rest.backlightOn),
            .chipSelected = !level(pins_.chipSelect, !rest.chipSelected)};
  }

  // Hands the levels of `pins` to the panel as the register writes that make them.
  void applyPins(uint8_t pins) {
    const module::PinLevels levels = levelsOf(pins);
    if (levels.clock && !clock_ && !levels.chipSelected) {
      problems.push_back("a clock edge while the chip is not selected");
    }
    clock_ = levels.clock;
    pinState_ = pins;
    const int data = 0x0C | (levels.resetReleased ? 0x02 : 0) | (levels.backlightOn ? 0xF0 : 0) |
                     (levels.chipSelected ? 0 : 0x01);
    const int control = (levels.clock ? 0 : 0x02) | (levels.data ? 0 : 0x01);
    if (data != lastData_) panel_->write(0x378, static_cast<uint8_t>(data));
    if (control != lastControl_) panel_->write(0x37A, static_cast<uint8_t>(control));
    lastData_ = data;
    lastControl_ = control;
  }

  void clockBits(uint8_t bits, int count) {
    if (!clock_) problems.push_back("bits clocked out with the clock idle low");
    for (int i = 0; i < count; ++i) {
      uint8_t pins = pinState_;
      const bool bit = ((bits >> (7 - i)) & 1) != 0;
      pins = static_cast<uint8_t>((pins & ~0x03) | (bit ? 0x02 : 0));  // clock low, data
      applyPins(pins);
      applyPins(static_cast<uint8_t>(pins | 0x01));  // clock rises: the controller samples
    }
  }

  void takeCommandByte(uint8_t byte) {
    if (dataBytesLeft_ > 0) {
      clockBits(byte, 8);
      --dataBytesLeft_;
      return;
    }
    if (argumentsNeeded_ == 0) {
      opcode_ = byte;
      arguments_.clear();
      const bool twoArguments = byte == 0x11 || byte == 0x13 || byte == 0x80 || byte == 0x86;
      argumentsNeeded_ = twoArguments ? 2 : 0;
      if (argumentsNeeded_ == 0) execute();
      return;
    }
    arguments_.push_back(byte);
    if (arguments_.size() == argumentsNeeded_) execute();
  }

  void execute() {
    argumentsNeeded_ = 0;
    switch (opcode_) {
      case 0x11:
        dataBytesLeft_ = arguments_[0] + 256u * arguments_[1] + 1u;
        break;
      case 0x13:
        clockBits(arguments_[1], arguments_[0] + 1);
        break;
      case 0x80:
        outputs_ = arguments_[1] | 0x03;  // the engine drives clock and data
        applyPins(arguments_[0]);
        break;
      case 0x86:
        divisor_ = static_cast<uint16_t>(arguments_[0] | arguments_[1] << 8);
        break;
      case 0x8A:
        divideBy5Off_ = true;
        break;
      case 0x85:
      case 0x8D:
      case 0x97:
        break;
      default:
        problems.push_back("unknown MPSSE command " + std::to_string(opcode_));
    }
  }

  panel::VirtualPanel* panel_;
  FtdiPins pins_;
  uint8_t outputs_ = 0;
  FtdiBitmode mode_ = FtdiBitmode::Reset;
  uint8_t pinState_ = 0xFF;
  bool clock_ = true;
  int lastData_ = -1;
  int lastControl_ = -1;
  uint8_t opcode_ = 0;
  std::vector<uint8_t> arguments_;
  std::size_t argumentsNeeded_ = 0;
  uint32_t dataBytesLeft_ = 0;
  uint16_t divisor_ = 0;
  bool divideBy5Off_ = false;
};

}  // namespace om6211::testing
