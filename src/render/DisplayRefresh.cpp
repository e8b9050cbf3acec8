#include "render/DisplayRefresh.h"

#include "link/ControllerCommands.h"
#include "render/MixMode.h"

namespace om6211 {

void RefreshDisplay(Controller& controller, const FrameMemory& memory) {
  controller.SetOutputAddress(0, 0);
  const DriverSettings& settings = controller.settings();
  SerialLink& link = controller.link();
  const MixOperator op = mixOperatorFor(settings.MixMode);
  const int32_t delay = settings.BusDelay;
  for (int32_t page = 0; page < settings.TextRows; ++page) {
    link.SendCommand(command::pageAddress(page), delay);
    link.SendCommand(command::columnHigh(0), delay);
    link.SendCommand(command::columnLow(0), delay);
    for (int32_t x = 0; x < settings.GraphicsWidth; ++x) {
      const std::size_t index = FrameMemory::layerIndex(x, page);
      link.SendData(mix(op, memory.GraphicsLayer[index], memory.TextLayer[index]), delay);
    }
  }
}

}  // namespace om6211
