// Feeds arbitrary settings-file contents to the settings reader, from memory and from a file,
// and checks that both readings agree, that names match without regard to case, and that a
// value is one line of at most 1023 characters. The first input byte can stretch a slice of
// the contents into a line of 8 KiB or 32 KiB, longer than a stream buffer or a 16-bit count.
#include <sys/mman.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "ports/portable/IniFileLookup.h"

namespace {

using namespace om6211;

// Sizes a stretched middle slice grows to: past the file stream's 8 KiB buffer, and past what
// a signed 16-bit length can count. Longer lines only take longer to read.
constexpr std::size_t StretchedBytes[] = {std::size_t{8} << 10, std::size_t{32} << 10};
constexpr std::string_view Fallback = "<fallback>";

[[noreturn]] void finding(const std::string& what) {
  std::fprintf(stderr, "finding: %s\n", what.c_str());
  std::abort();
}

// Repeats the middle third of `contents`, its line ends left out, until it alone is at least
// `bytes` long: one long line. Many short lines come from the input itself, and reading thousands
// of them per input would only slow the run.
std::string stretched(std::string_view contents, std::size_t bytes) {
  const std::size_t third = contents.size() / 3;
  const std::size_t middleLength = std::max<std::size_t>(third, 1);
  std::string line(contents.substr(third, middleLength));
  std::erase_if(line, [](char c) { return c == '\r' || c == '\n'; });
  if (line.empty()) line = " ";  // a middle of line ends only: a long blank line
  while (line.size() < bytes) line += line;
  return std::string(contents.substr(0, third)) + line +
         std::string(contents.substr(third + middleLength));
}

std::string toggledCase(std::string_view name) {
  std::string result(name);
  for (char& c : result) {
    const auto u = static_cast<unsigned char>(c);
    if (std::isalpha(u))
      c = std::islower(u) ? static_cast<char>(std::toupper(u)) : static_cast<char>(std::tolower(u));
  }
  return result;
}

// An in-memory file that the file reader opens by name, rewritten for every input.
class ScratchFile {
 public:
  ScratchFile() : descriptor_(memfd_create("om6211-settings", 0)) {
    if (descriptor_ < 0) finding("no in-memory file");
    path_ = "/proc/self/fd/" + std::to_string(descriptor_);
  }

  const std::string& holding(std::string_view contents) {
    if (ftruncate(descriptor_, 0) != 0 || pwrite(descriptor_, contents.data(), contents.size(),
                                                 0) != static_cast<ssize_t>(contents.size())) {
      finding("cannot write the in-memory file");
    }
    return path_;
  }

 private:
  int descriptor_;
  std::string path_;
};

void checkValue(const std::string& value, std::string_view key) {
  if (value == Fallback) return;
  if (value.size() > SettingsLookup::MaxValueLength) {
    finding("value of " + std::string(key) + " longer than 1023 characters");
  }
  if (value.find_first_of("\r\n") != std::string::npos) {
    finding("value of " + std::string(key) + " spans lines");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view raw(reinterpret_cast<const char*>(data) + 1, size - 1);
  // The first byte: 0xFE or 0xFF stretch the contents, anything else leaves them as they are.
  const std::string contents = data[0] >= 0xFE && !raw.empty()
                                   ? stretched(raw, StretchedBytes[data[0] - 0xFE])
                                   : std::string(raw);
  static ScratchFile scratch;
  const std::string& file = scratch.holding(contents);
  IniFileLookup fileLookup;
  static constexpr std::string_view Keys[] = {"TextFont", "Text+GraphicsDisplayMode", "a"};
  // Stretched contents are slow to read; one key is enough for them.
  const std::size_t keyCount = contents.size() > raw.size() ? 1 : std::size(Keys);
  for (std::string_view key : std::span(Keys).first(keyCount)) {
    const std::string fromMemory = lookupIniText(contents, "init", key, Fallback);
    checkValue(fromMemory, key);
    if (fileLookup.lookup(file, "init", key, Fallback) != fromMemory) {
      finding("file and memory readings of " + std::string(key) + " differ");
    }
    if (lookupIniText(contents, toggledCase("init"), toggledCase(key), Fallback) != fromMemory) {
      finding("the case of the names of " + std::string(key) + " changed the value");
    }
  }
  return 0;
}
