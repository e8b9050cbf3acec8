#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "host/PortTrace.h"

namespace om6211 {

// Streams trace lines into a file through a large buffer of its own, so that writing a line
// costs little more than formatting it.
class TraceWriter {
 public:
  // Takes an open file; `name` is used in messages. The writer does not close it.
  TraceWriter(std::FILE* file, std::string name);
  TraceWriter(const TraceWriter&) = delete;
  TraceWriter& operator=(const TraceWriter&) = delete;
  ~TraceWriter();

  void append(const PortOperation& operation) {
    if (capacity_ - used_ < MaxTraceLineLength) flush();
    used_ += formatTraceLine(operation, buffer_.get() + used_);
  }
  // An annotation line: "# " and `text` (line ends in it become blanks).
  void annotate(std::string_view text);

  // Writes out what is buffered; false (and `problem()` says why) when the file refused it.
  bool flush();
  const std::string& problem() const { return problem_; }

 private:
  static constexpr std::size_t BufferSize = 1 << 20;

  std::FILE* file_;
  std::string name_;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_ = BufferSize;
  std::size_t used_ = 0;
  std::string problem_;
};

}  // namespace om6211
