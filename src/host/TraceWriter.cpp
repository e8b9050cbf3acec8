#include "host/TraceWriter.h"

#include <cerrno>
#include <cstring>

namespace om6211 {

TraceWriter::TraceWriter(std::FILE* file, std::string name)
    : file_(file), name_(std::move(name)), buffer_(new char[BufferSize]) {}

TraceWriter::~TraceWriter() {
  flush();
}

void TraceWriter::annotate(std::string_view text) {
  std::string line = "# ";
  for (char c : text) line.push_back(c == '\n' || c == '\r' ? ' ' : c);
  line.push_back('\n');
  if (capacity_ - used_ < line.size()) flush();
  if (line.size() > capacity_) {
    if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() && problem_.empty()) {
      problem_ = name_ + ": " + std::strerror(errno);
    }
    return;
  }
  std::memcpy(buffer_.get() + used_, line.data(), line.size());
  used_ += line.size();
}

bool TraceWriter::flush() {
  if (used_ > 0 && std::fwrite(buffer_.get(), 1, used_, file_) != used_ && problem_.empty()) {
    problem_ = name_ + ": " + std::strerror(errno);
  }
  used_ = 0;
  if (std::fflush(file_) != 0 && problem_.empty()) problem_ = name_ + ": " + std::strerror(errno);
  return problem_.empty();
}

}  // namespace om6211
