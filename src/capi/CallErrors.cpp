#include "capi/CallErrors.h"

#include <cerrno>
#include <cstring>
#include <exception>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

#include "driver/PortText.h"
#include "ports/portable/PortOpenError.h"
#include "seams/PortIo.h"

namespace om6211::capi {
namespace {

thread_local std::string lastMessage;

// The errno values a back end that cannot open its device names in its message, as
// "(CALL: description)"; a claim that did not come through in time has its own words.
constexpr int OpenErrors[] = {ENOENT, ENODEV, ENXIO, EACCES, EPERM, EBUSY, EINVAL, ENOTTY};
constexpr const char* ClaimTimedOut = "no claim within the wait";

int errorNamedIn(std::string_view message) noexcept {
  if (message.find(ClaimTimedOut) != std::string_view::npos) return ETIMEDOUT;
  for (int error : OpenErrors) {
    const std::string_view description = std::strerror(error);
    for (std::size_t at = message.find(description); at != std::string_view::npos;
         at = message.find(description, at + 1)) {
      const std::size_t end = at + description.size();
      if (at >= 2 && message.substr(at - 2, 2) == ": " && message.substr(end, 1) == ")") {
        return error;
      }
    }
  }
  return ENODEV;
}

}  // namespace

void failWith(int error, const char* message) noexcept {
  try {
    lastMessage = message;
  } catch (...) {
    lastMessage.clear();  // no room for the message: errno still tells
  }
  errno = error;
}

void failWithCurrentException() noexcept {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    failWith(ENOMEM, "out of memory");
  } catch (const std::system_error& failure) {
    failWith(failure.code().value(), failure.what());
  } catch (const ConversionError& failure) {
    failWith(EINVAL, failure.what());
  } catch (const std::invalid_argument& failure) {
    failWith(EINVAL, failure.what());
  } catch (const PortFailure& failure) {
    failWith(EIO, failure.what());
  } catch (const PortOpenError& failure) {
    failWith(errorNamedIn(failure.what()), failure.what());
  } catch (const std::exception& failure) {
    failWith(EIO, failure.what());
  } catch (...) {
    failWith(EIO, "unknown failure");
  }
}

const char* lastError() noexcept {
  return lastMessage.c_str();
}

}  // namespace om6211::capi
