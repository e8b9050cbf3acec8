#include "reliability/TraceShape.h"

#include <algorithm>

#include "link/ParallelPortBus.h"

namespace om6211::reliability {
namespace {

using Kind = PortOperation::Kind;

constexpr uint8_t ResetLow = 0x0C;
constexpr uint8_t ResetHigh = 0x0E;
constexpr uint8_t IdleBits = 0x0E;
constexpr int BitsPerFrame = 9;

uint8_t frameStartValue(const DriverSettings& settings) {
  return static_cast<uint8_t>(settings.BacklightBits + IdleBits);
}

std::string at(std::size_t index, const std::string& what) {
  return "operation " + std::to_string(index) + ": " + what;
}

class TraceReader {
 public:
  TraceReader(const PortTrace& trace, const DriverSettings& settings, bool keepPlaces)
      : keepPlaces_(keepPlaces),
        ops_(trace.operations),
        settings_(settings),
        dataPort_(settings.PortBase),
        controlPort_(settings.PortBase + 2) {}

  TraceShape read() {
    while (next_ < ops_.size() && shape_.problem.empty()) readOne();
    return std::move(shape_);
  }

 private:
  bool isOut(std::size_t i, uint32_t port) const {
    return i < ops_.size() && ops_[i].kind == Kind::Out && ops_[i].number == port;
  }
  bool isDelayRead(std::size_t i) const {
    return i < ops_.size() && ops_[i].kind == Kind::In &&
           ops_[i].number == ParallelPortBus::DelayPort;
  }
  void fail(const std::string& what) { shape_.problem = at(next_, what); }
  void place(OperationRole role, std::size_t bitEnd = 0) {
    if (keepPlaces_) shape_.places.push_back({role, bitEnd});
    ++next_;
  }

  void readOne() {
    const PortOperation& op = ops_[next_];
    if (op.kind == Kind::Sleep) return place(OperationRole::Pause);
    if (!isOut(next_, dataPort_)) return fail("neither a pause nor a data-register write");
    if (isOut(next_ + 1, controlPort_)) return readFrame();
    const bool pulseValue = op.value == ResetLow || op.value == ResetHigh;
    if (!pulseValue || next_ + 1 >= ops_.size() || ops_[next_ + 1].kind != Kind::Sleep) {
      return fail("data-register write that opens no frame and is no reset pulse");
    }
    place(OperationRole::ResetPulse);
  }

  // Counts the delay reads from `i` on.
  std::size_t delayReadsFrom(std::size_t i) const {
    std::size_t count = 0;
    while (isDelayRead(i + count)) ++count;
    return count;
  }

  void readFrame() {
    if (ops_[next_].value != frameStartValue(settings_)) {
      return fail("frame opened with a data-register value other than the backlight bits + 0e");
    }
    place(OperationRole::FrameStart);
    const std::size_t busReads = static_cast<std::size_t>(std::max(settings_.BusDelay, 0));
    const std::size_t addressReads = static_cast<std::size_t>(std::max(settings_.AddressDelay, 0));
    std::size_t reads = 0;
    for (int bit = 0; bit < BitsPerFrame; ++bit) {
      const std::size_t first = next_;
      if (!isOut(first, controlPort_) || (ops_[first].value != 2 && ops_[first].value != 3)) {
        return fail("bit not opened by a control write of 2 or 3");
      }
      const std::size_t firstReads = delayReadsFrom(first + 1);
      if (bit == 0) {
        reads = firstReads;
        if (reads != busReads && reads != addressReads) {
          return fail("delay reads match neither the bus nor the address delay");
        }
      }
      const std::size_t second = first + 1 + firstReads;
      if (firstReads != reads || !isOut(second, controlPort_) ||
          ops_[second].value != ops_[first].value - 2) {
        return fail("bit without its delay reads or its matching second half");
      }
      const std::size_t end = second + 1 + reads;
      if (delayReadsFrom(second + 1) != reads) return fail("second half without its delay reads");
      const OperationRole role = bit == 0 ? OperationRole::SelectorBit : OperationRole::ValueBit;
      while (next_ < end) place(role, end);
    }
    ++shape_.frames;
  }

  bool keepPlaces_;
  const std::vector<PortOperation>& ops_;
  const DriverSettings& settings_;
  uint32_t dataPort_;
  uint32_t controlPort_;
  std::size_t next_ = 0;
  TraceShape shape_;
};

}  // namespace

TraceShape analyseTrace(const PortTrace& trace, const DriverSettings& settings) {
  return TraceReader(trace, settings, true).read();
}

std::string frameProblem(const PortTrace& trace, const DriverSettings& settings) {
  return TraceReader(trace, settings, false).read().problem;
}

std::string strayOperation(const PortTrace& trace, const DriverSettings& settings) {
  const uint32_t controlPort = settings.PortBase + 2;
  for (std::size_t i = 0; i < trace.operations.size(); ++i) {
    const PortOperation& op = trace.operations[i];
    switch (op.kind) {
      case Kind::Sleep:
        break;
      case Kind::In:
        if (op.number != ParallelPortBus::DelayPort) return at(i, "read of a port other than 220");
        break;
      case Kind::Out:
        if (op.number == controlPort) {
          if (op.value > 3) return at(i, "control value above 3");
        } else if (op.number == settings.PortBase) {
          if (op.value != frameStartValue(settings) && op.value != ResetLow &&
              op.value != ResetHigh) {
            return at(i, "data-register value the link never writes");
          }
        } else {
          return at(i, "write to a port other than the data or control register");
        }
        break;
    }
  }
  return {};
}

}  // namespace om6211::reliability
