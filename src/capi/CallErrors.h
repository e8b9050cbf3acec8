#pragma once

namespace om6211::capi {

// Keeps the calling thread's latest failure, message and errno, for om6211_error().
void failWith(int error, const char* message) noexcept;
// The same for the exception being handled: the errno its kind stands for.
void failWithCurrentException() noexcept;
const char* lastError() noexcept;

}  // namespace om6211::capi
