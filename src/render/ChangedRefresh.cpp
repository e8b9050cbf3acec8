#include "render/ChangedRefresh.h"

#include <optional>

#include "module/ControllerCommands.h"
#include "render/TextCursor.h"

namespace om6211 {
namespace {

constexpr int Columns = ControllerShadow::Columns;
constexpr int Pages = ControllerShadow::Pages;
constexpr int Unknown = ControllerShadow::Unknown;

// A RAM address of the controller; page or column may be Unknown.
struct Address {
  int page;
  int column;

  friend bool operator==(const Address&, const Address&) = default;
};

// Where the address stands after a data byte at `position`.
Address after(Address position) {
  if (position.column + 1 < Columns) return {position.page, position.column + 1};
  return {position.page + 1 < Pages ? position.page + 1 : Unknown, 0};
}

// The position a data byte must be sent at for the address to stand at `position` after it.
std::optional<Address> before(Address position) {
  if (position.column > 0) return Address{position.page, position.column - 1};
  if (position.page > 0) return Address{position.page - 1, Columns - 1};
  return std::nullopt;
}

// Frames of a page command if the page differs plus both column commands if the column differs.
// `to` is always a known position, so an Unknown page or column always differs.
int moveCost(Address from, Address to) {
  return (from.page != to.page ? 1 : 0) + (from.column != to.column ? 2 : 0);
}

// How to get from the address to the next byte: resend `resendFirst` bytes from where the
// address stands, move to the start of the last `resendLast` bytes before the byte, resend
// those.
struct Route {
  int resendFirst = 0;
  int resendLast = 0;
  int frames = 0;
};

class Planner {
 public:
  Planner(Controller& controller, const RenderSettings& settings, const FrameMemory::Layer& frame)
      : link_(controller.link()),
        frame_(frame),
        delay_(settings.BusDelay),
        pages_(settings.TextRows),
        columns_(settings.GraphicsWidth),
        at_{controller.shadow().page(), controller.shadow().column()} {}

  // A move never costs more than 3 frames (a page and a column), so a cheaper route sends at
  // most two frames besides: resent bytes where the address stands, at most one move (a second
  // one would only undo part of the first) and resent bytes up to the target. Trying every
  // split of at most two resent bytes therefore finds the cheapest route.
  Route cheapestRoute(Address target) const {
    if (at_ == target) return {};  // the common case of a run of changed bytes: nothing to beat
    Route best{0, 0, moveCost(at_, target)};
    for (int first = 0; first <= 2; ++first) {
      std::optional<Address> from = at_;
      for (int i = 0; i < first && from; ++i)
        from = resendable(*from) ? after(*from) : std::optional<Address>();
      if (!from) continue;
      for (int last = 0; first + last <= 2; ++last) {
        std::optional<Address> start = target;
        for (int i = 0; i < last && start; ++i) {
          start = before(*start);
          if (start && !resendable(*start)) start.reset();
        }
        if (!start) continue;
        const int frames = first + moveCost(*from, *start) + last;
        if (frames < best.frames) best = {first, last, frames};
      }
    }
    return best;
  }

  void send(Address target) {
    const Route route = cheapestRoute(target);
    for (int i = 0; i < route.resendFirst; ++i) sendByteAtAddress();
    Address start = target;
    for (int i = 0; i < route.resendLast; ++i) start = *before(start);
    moveTo(start);
    for (int i = 0; i < route.resendLast; ++i) sendByteAtAddress();
    sendByteAtAddress();
  }

 private:
  bool resendable(Address position) const {
    return position.page >= 0 && position.page < pages_ && position.column >= 0 &&
           position.column < columns_;
  }
  void moveTo(Address target) {
    if (at_.page != target.page) link_.SendCommand(command::pageAddress(target.page), delay_);
    if (at_.column != target.column) {
      link_.SendCommand(command::columnHigh(target.column), delay_);
      link_.SendCommand(command::columnLow(target.column), delay_);
    }
    at_ = target;
  }
  void sendByteAtAddress() {
    link_.SendData(frame_[FrameMemory::layerIndex(at_.column, at_.page)], delay_);
    at_ = after(at_);
  }

  SerialLink& link_;
  const FrameMemory::Layer& frame_;
  int32_t delay_;
  int pages_;
  int columns_;
  Address at_;
};

}  // namespace

void refreshChanged(Controller& controller, RenderSettings& settings,
                    const FrameMemory::Layer& frame) {
  // Planned against what was known at the start: the shadow follows the frames as they go.
  const ControllerShadow known = controller.shadow();
  Planner planner(controller, settings, frame);
  for (int page = 0; page < settings.TextRows; ++page) {
    for (int column = 0; column < settings.GraphicsWidth; ++column) {
      if (known.byteAt(page, column) != frame[FrameMemory::layerIndex(column, page)]) {
        planner.send({page, column});
      }
    }
  }
  placeCursor(0, 0, settings);
}

}  // namespace om6211
