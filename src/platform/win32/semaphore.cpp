// A counting semaphore: the system's semaphore object.
#include "platform/semaphore.h"

#include <windows.h>

#include <new>

namespace voplat {

namespace {

class Win32Semaphore final : public Semaphore {
 public:
  explicit Win32Semaphore(HANDLE handle) : handle_(handle) {}
  ~Win32Semaphore() override { CloseHandle(handle_); }

  void acquire() override { WaitForSingleObject(handle_, INFINITE); }
  bool tryAcquire() override { return WaitForSingleObject(handle_, 0) == WAIT_OBJECT_0; }
  // The system refuses a release past the maximum (error 298) and keeps the count.
  bool release() override { return ReleaseSemaphore(handle_, 1, nullptr) != FALSE; }

 private:
  HANDLE handle_;
};

}  // namespace

std::unique_ptr<Semaphore> Semaphore::create(uint32_t initialCount, uint32_t maximumCount,
                                             SysError* err) {
  // The system takes signed counts.
  if (maximumCount == 0 || initialCount > maximumCount || maximumCount > 0x7FFFFFFFu) {
    reportSysError(err, kErrInvalidParameter);
    return nullptr;
  }
  HANDLE handle = CreateSemaphoreW(nullptr, static_cast<LONG>(initialCount),
                                   static_cast<LONG>(maximumCount), nullptr);
  if (handle == nullptr) {
    reportSysError(err, GetLastError());
    return nullptr;
  }
  std::unique_ptr<Semaphore> semaphore(new (std::nothrow) Win32Semaphore(handle));
  if (!semaphore) {
    CloseHandle(handle);
    reportSysError(err, kErrNotEnoughMemory);
  }
  return semaphore;
}

}  // namespace voplat
