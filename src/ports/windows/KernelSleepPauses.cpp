#include "ports/windows/KernelSleepPauses.h"

#include <windows.h>

namespace om6211 {

void KernelSleepPauses::sleep(uint32_t milliseconds) {
  Sleep(milliseconds);
}

}  // namespace om6211
