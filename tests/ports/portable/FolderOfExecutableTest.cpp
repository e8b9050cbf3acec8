#include "ports/portable/FolderOfExecutable.h"

#include <gtest/gtest.h>

namespace om6211 {
namespace {

// A double-byte code page whose lead bytes are 0x81-0x9F and 0xE0-0xFC; its trail bytes may be
// 0x5C, the backslash.
bool shiftedLeadByte(uint8_t byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

TEST(FolderOfExecutable, LastSeparatorOutsideDoubleByteCharacters) {
  struct Case {
    std::string_view path;
    LeadBytePredicate isLeadByte;
    std::string_view folder;
  };
  const Case cases[] = {
      {"C:\\Host\\host.exe", noLeadBytes, "C:\\Host\\"},
      {"/opt/host/bin/host", noLeadBytes, "/opt/host/bin/"},
      {"host.exe", noLeadBytes, ""},
      {"", noLeadBytes, ""},
      // A folder name ending in a character whose trail byte is 0x5C.
      {"C:\\\x95\x5C\\host.exe", shiftedLeadByte, "C:\\\x95\x5C\\"},
      // The file name holds such a character: the separator before it is the last one.
      {"C:\\Host\\\x95\x5C.exe", shiftedLeadByte, "C:\\Host\\"},
      {"C:\\Host\\\x95\x5C\x95\x5C", shiftedLeadByte, "C:\\Host\\"},
      // Read as single bytes, the same path ends in a folder.
      {"C:\\Host\\\x95\x5C.exe", noLeadBytes, "C:\\Host\\\x95\x5C"},
      // A lead byte at the very end has no trail byte to take.
      {"C:\\Host\\\x95", shiftedLeadByte, "C:\\Host\\"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(folderOfExecutable(c.path, c.isLeadByte), c.folder) << c.path;
  }
}

}  // namespace
}  // namespace om6211
