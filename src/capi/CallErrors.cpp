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
#include "seams/PortIo.h"
#include "seams/PortOpenError.h"

namespace om6211::capi {
namespace {

thread_local std::string lastMessage;

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
    failWith(failure.error(), failure.what());
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
