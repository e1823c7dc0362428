// The last resort on Windows: the line "title: text" on the standard error
// stream for programs that have one, a task-modal error message box for the
// user, then the process ends at once with exit code 1, without exit handlers.
#include "platform/fatal.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace voplat {

namespace {

constexpr UINT kFatalBoxStyle = MB_ICONERROR | MB_TASKMODAL;  // 0x2010

// Converts without allocating: the process may be out of memory.
void toWide(const char* utf8, wchar_t* out, int room) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out, room);
  if (n == 0) out[0] = L'\0';
  out[room - 1] = L'\0';
}

void writeStderr(const char* text) {
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (err == nullptr || err == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(err, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

}  // namespace

void fatalMessage(const char* title, const char* text) {
  if (title == nullptr) title = "";
  if (text == nullptr) text = "";
  std::fflush(stderr);
  writeStderr(title);
  writeStderr(": ");
  writeStderr(text);
  writeStderr("\n");
  wchar_t wideTitle[256];
  wchar_t wideText[1024];
  toWide(title, wideTitle, 256);
  toWide(text, wideText, 1024);
  MessageBoxW(nullptr, wideText, wideTitle, kFatalBoxStyle);
  TerminateProcess(GetCurrentProcess(), 1);
  ExitProcess(1);  // not reached
}

}  // namespace voplat
