#include "InjectingPort.h"

namespace om6211::fuzzing {

void InjectingPort::failBy(Rule rule, uint64_t number) {
  rule_ = rule;
  number_ = number;
}

void InjectingPort::countOperation() {
  const uint64_t number = operations_++;
  bool fails = false;
  switch (rule_) {
    case Rule::Never:
      return;
    case Rule::At:
      fails = number == number_;
      break;
    case Rule::From:
      fails = number >= number_;
      break;
    case Rule::Every:
      fails = number_ != 0 && number % number_ == 0;
      break;
  }
  if (fails) {
    ++failures_;
    throw PortFailure("injected port failure");
  }
}

void InjectingPort::write(uint32_t port, uint8_t value) {
  countOperation();
  trace.operations.push_back({PortOperation::Kind::Out, port, value});
}

uint8_t InjectingPort::read(uint32_t port) {
  countOperation();
  trace.operations.push_back({PortOperation::Kind::In, port, 0});
  return 0xFF;
}

void InjectingPort::sleep(uint32_t milliseconds) {
  trace.operations.push_back({PortOperation::Kind::Sleep, milliseconds, 0});
}

}  // namespace om6211::fuzzing
