#include "render/DisplayRefresh.h"

#include "module/ControllerCommands.h"
#include "render/MixMode.h"
#include "render/TextCursor.h"

namespace om6211 {

FrameMemory::Layer combinedLayers(const FrameMemory& memory, std::string_view mixMode) {
  const MixOperator op = mixOperatorFor(mixMode);
  FrameMemory::Layer frame;
  for (std::size_t i = 0; i < frame.size(); ++i) {
    frame[i] = mix(op, memory.GraphicsLayer[i], memory.TextLayer[i]);
  }
  return frame;
}

void RefreshDisplay(Controller& controller, RenderSettings& settings,
                    const FrameMemory::Layer& frame) {
  SerialLink& link = controller.link();
  const int32_t delay = settings.BusDelay;
  SetOutputAddress(0, 0, controller, settings);
  // Rows as wide as the controller's: after column 83 it goes on at column 0 of the next page,
  // so where the bus allows shorter traffic the one address above serves the whole picture.
  const bool addressEachPage =
      !link.allowsShorterTraffic() || settings.GraphicsWidth != RenderSettings::MaxGraphicsWidth;
  for (int32_t page = 0; page < settings.TextRows; ++page) {
    if (addressEachPage) {
      link.SendCommand(command::pageAddress(page), delay);
      link.SendCommand(command::columnHigh(0), delay);
      link.SendCommand(command::columnLow(0), delay);
    }
    for (int32_t x = 0; x < settings.GraphicsWidth; ++x) {
      link.SendData(frame[FrameMemory::layerIndex(x, page)], delay);
    }
  }
}

}  // namespace om6211
