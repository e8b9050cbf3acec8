#pragma once

#include <cstdint>

#include "module/Db25Wiring.h"
#include "module/PinLevels.h"
#include "ports/ftdi/FtdiPins.h"

namespace om6211 {

// The two parallel-port registers the driver writes.
enum class Db25Register : uint8_t { Data, Control };

// The pin-state byte that a write of `value` to `reg` puts on the lines `pins` wires, the
// module's inputs having stood at `levels`, which become what the write leaves. The DB-25
// wiring decodes the write; chip select is not on the connector and stays as it was.
inline uint8_t bitbangByte(const FtdiPins& pins, module::PinLevels& levels, Db25Register reg,
                           uint8_t value) {
  if (reg == Db25Register::Data) {
    module::db25::applyDataRegister(value, levels);
  } else {
    module::db25::applyControlRegister(value, levels);
  }
  return pins.byteFor(levels);
}

}  // namespace om6211
