#include "platform/win32_api.h"

#include "platform/clock.h"

namespace schreiber::platform {

DateTime SystemClock::now() const {
  SYSTEMTIME local{};
  GetLocalTime(&local);
  return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

}  // namespace schreiber::platform
