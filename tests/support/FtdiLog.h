#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/FtdiPinDecoder.h"

namespace om6211::testing {

// Hands what the stand-in libftdi or FTD2XX.DLL logged (tests/fakes/FakeLibftdi.cpp,
// tests/windows/Ftd2xxStandIn.cpp) to `decoder`: each "bitmode OUTPUTS MODE" line sets the mode,
// each "write HEX" line gives the bytes that reached the chip, each "power" line powers the
// module afresh; the other lines (open, refused, close, purge, read, unplugged, "# " notes)
// change nothing at the pins. Only complete lines count, since a running
// program may be adding to the log. Returns the lines it could not read.
inline std::vector<std::string> replayFtdiLog(std::string_view log, FtdiPinDecoder& decoder) {
  auto nibble = [](char digit) {
    if (digit >= '0' && digit <= '9') return digit - '0';
    if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
    return -1;
  };
  auto bytesOf = [&](std::string_view hex, std::vector<uint8_t>& bytes) {
    bytes.clear();
    if (hex.size() % 2 != 0) return false;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
      const int high = nibble(hex[i]);
      const int low = nibble(hex[i + 1]);
      if (high < 0 || low < 0) return false;
      bytes.push_back(static_cast<uint8_t>(high << 4 | low));
    }
    return true;
  };
  std::vector<std::string> unreadable;
  std::vector<uint8_t> bytes;
  for (std::size_t end; (end = log.find('\n')) != log.npos; log.remove_prefix(end + 1)) {
    const std::string_view line = log.substr(0, end);
    const std::size_t space = line.find(' ');
    const std::string_view word = line.substr(0, space);
    const std::string_view rest = space == line.npos ? "" : line.substr(space + 1);
    if (word == "bitmode" && rest.size() == 5 && rest[2] == ' ' &&
        bytesOf(std::string(rest.substr(0, 2)) + std::string(rest.substr(3)), bytes)) {
      decoder.setMode(bytes[0], static_cast<FtdiBitmode>(bytes[1]));
    } else if (word == "write" && bytesOf(rest, bytes)) {
      decoder.take(bytes);
    } else if (word == "power") {
      decoder.powerCycle();
    } else if (word != "open" && word != "close" && word != "refused" && word != "purge" &&
               word != "read" && word != "unplugged" && word != "#") {
      unreadable.emplace_back(line.substr(0, 80));
    }
  }
  return unreadable;
}

}  // namespace om6211::testing
