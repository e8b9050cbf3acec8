// Feeds arbitrary text to the port-trace reader, and arbitrary operations to the trace writer,
// and checks that the two agree: what the reader accepts, written out again, reads back the
// same, and every operation the driver can record reads back as itself.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/PortTrace.h"
#include "host/TraceReader.h"

namespace {

using namespace om6211;

[[noreturn]] void finding(const std::string& what) {
  std::fprintf(stderr, "finding: %s\n", what.c_str());
  std::abort();
}

std::vector<PortOperation> readAll(std::string_view text, std::optional<cli::TraceError>& error) {
  std::vector<PortOperation> operations;
  error = cli::readTrace(text, [&](const PortOperation& op) { operations.push_back(op); });
  return operations;
}

// Operations decoded from the input six bytes at a time: kind, number, value.
PortTrace operationsFrom(const uint8_t* data, std::size_t size) {
  PortTrace trace;
  for (std::size_t at = 0; at + 6 <= size; at += 6) {
    PortOperation op{};
    op.kind = static_cast<PortOperation::Kind>(data[at] % 3);
    std::memcpy(&op.number, data + at + 1, sizeof op.number);
    op.value = op.kind == PortOperation::Kind::Out ? data[at + 5] : 0;
    trace.operations.push_back(op);
  }
  return trace;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::optional<cli::TraceError> error;
  PortTrace accepted{readAll(text, error)};
  if (error && error->line == 0) finding("error without a line number");

  std::optional<cli::TraceError> rereadError;
  if (readAll(accepted.text(), rereadError) != accepted.operations || rereadError) {
    finding("accepted operations do not read back as themselves");
  }

  const PortTrace written = operationsFrom(data, size);
  if (readAll(written.text(), rereadError) != written.operations || rereadError) {
    finding("written trace does not read back as the operations");
  }
  return 0;
}
