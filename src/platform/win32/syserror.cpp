// System error numbers and texts on Windows: the numbers are the system's own,
// the texts come from the system message table.
#include "platform/syserror.h"

#include <windows.h>

#include "platform/win32/wide.h"

namespace voplat {

uint32_t lastErrorNumber() { return GetLastError(); }

std::string errorMessage(uint32_t code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPWSTR>(&buffer),
      0, nullptr);
  if (length == 0 || buffer == nullptr) return {};
  std::wstring_view text(buffer, length);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n')) text.remove_suffix(1);
  std::string utf8;
  try {
    utf8 = win32::narrow(text);
  } catch (...) {
    LocalFree(buffer);
    throw;
  }
  LocalFree(buffer);
  return utf8;
}

}  // namespace voplat
