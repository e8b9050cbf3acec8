#include "ports/linux/PortGrants.h"

#include <map>
#include <mutex>
#include <utility>

namespace om6211 {
namespace {

// Holders of each I/O port, by the kernel (the system calls) that granted it.
struct Holders {
  std::mutex mutex;
  std::map<std::pair<const SystemCalls*, unsigned long>, unsigned> count;
};

Holders& holders() {
  static Holders all;
  return all;
}

}  // namespace

int holdPorts(SystemCalls& calls, unsigned long from, unsigned long count) {
  Holders& all = holders();
  std::lock_guard lock(all.mutex);
  if (calls.ioperm(from, count, 1) != 0) return -1;
  for (unsigned long port = from; port < from + count; ++port) ++all.count[{&calls, port}];
  return 0;
}

void releasePorts(SystemCalls& calls, unsigned long from, unsigned long count) {
  Holders& all = holders();
  std::lock_guard lock(all.mutex);
  // Access goes back in runs of neighbouring I/O ports that nobody holds any more.
  unsigned long runStart = from;
  unsigned long runLength = 0;
  const auto withdrawRun = [&] {
    if (runLength != 0) calls.ioperm(runStart, runLength, 0);
    runLength = 0;
  };
  for (unsigned long port = from; port < from + count; ++port) {
    const auto held = all.count.find({&calls, port});
    if (held != all.count.end() && --held->second > 0) {
      withdrawRun();
      continue;
    }
    if (held != all.count.end()) all.count.erase(held);
    if (runLength == 0) runStart = port;
    ++runLength;
  }
  withdrawRun();
}

}  // namespace om6211
