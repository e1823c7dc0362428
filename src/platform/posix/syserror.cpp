// System error numbers and texts on POSIX systems.
//
// The library speaks the original platform's error numbers everywhere, so
// errno values are translated here. The table below is the whole translation;
// anything not listed becomes kErrGenFailure (31).
//
//   errno                         number  meaning on the original platform
//   0                             0       success
//   ENOSYS                        1       invalid function
//   ENOENT                        2       file not found
//   ENOTDIR                       3       path not found
//   EMFILE, ENFILE                4       cannot open the file (too many open)
//   EACCES, EPERM, EISDIR         5       access denied
//   EBADF                         6       invalid handle
//   ENOMEM                        8       not enough memory
//   EXDEV                         17      cannot move to a different device
//   EROFS                         19      write protected
//   ETXTBSY                       32      sharing violation
//   ENOTSUP (= EOPNOTSUPP)        50      not supported
//   EINVAL                        87      invalid parameter
//   EPIPE                         109     pipe ended
//   ENOSPC                        112     disk full
//   ENOTEMPTY                     145     directory not empty
//   EBUSY                         170     resource in use
//   EEXIST                        183     already exists
//   ENAMETOOLONG                  206     file name too long
//   EFBIG                         223     file too large
//   EINTR, ECANCELED              995     operation aborted
//   EILSEQ                        1113    no mapping for the character
//   EIO                           1117    I/O device error
//   EDEADLK                       1131    possible deadlock
//   EAGAIN                        1450    insufficient system resources
//   ETIMEDOUT                     1460    timeout
//   anything else                 31      general failure
#include "platform/syserror.h"

#include <cerrno>

namespace voplat {

namespace {

struct ErrnoMapping {
  int errnoValue;
  uint32_t code;
};

constexpr ErrnoMapping kErrnoTable[] = {
    {0, 0},
    {ENOSYS, 1},
    {ENOENT, kErrFileNotFound},
    {ENOTDIR, kErrPathNotFound},
    {EMFILE, 4},
    {ENFILE, 4},
    {EACCES, kErrAccessDenied},
    {EPERM, kErrAccessDenied},
    {EISDIR, kErrAccessDenied},
    {EBADF, kErrInvalidHandle},
    {ENOMEM, kErrNotEnoughMemory},
    {EXDEV, 17},
    {EROFS, 19},
    {ETXTBSY, 32},
    {ENOTSUP, 50},
    {EINVAL, kErrInvalidParameter},
    {EPIPE, 109},
    {ENOSPC, 112},
    {ENOTEMPTY, 145},
    {EBUSY, 170},
    {EEXIST, 183},
    {ENAMETOOLONG, 206},
    {EFBIG, 223},
    {EINTR, 995},
    {ECANCELED, 995},
    {EILSEQ, 1113},
    {EIO, 1117},
    {EDEADLK, 1131},
    {EAGAIN, 1450},
    {ETIMEDOUT, 1460},
};

struct MessageEntry {
  uint32_t code;
  const char* text;
};

// The system's texts for the numbers this library produces or tests for.
constexpr MessageEntry kMessages[] = {
    {0, "The operation completed successfully."},
    {1, "Incorrect function."},
    {2, "The system cannot find the file specified."},
    {3, "The system cannot find the path specified."},
    {4, "The system cannot open the file."},
    {5, "Access is denied."},
    {6, "The handle is invalid."},
    {8, "Not enough memory resources are available to process this command."},
    {13, "The data is invalid."},
    {14, "Not enough memory resources are available to complete this operation."},
    {17, "The system cannot move the file to a different disk drive."},
    {19, "The media is write protected."},
    {31, "A device attached to the system is not functioning."},
    {32, "The process cannot access the file because it is being used by another process."},
    {50, "The request is not supported."},
    {80, "The file exists."},
    {87, "The parameter is incorrect."},
    {109, "The pipe has been ended."},
    {112, "There is not enough space on the disk."},
    {122, "The data area passed to a system call is too small."},
    {126, "The specified module could not be found."},
    {127, "The specified procedure could not be found."},
    {145, "The directory is not empty."},
    {170, "The requested resource is in use."},
    {183, "Cannot create a file when that file already exists."},
    {206, "The filename or extension is too long."},
    {223, "The file size exceeds the limit allowed and cannot be saved."},
    {234, "More data is available."},
    {259, "No more data is available."},
    {267, "The directory name is invalid."},
    {298, "Too many posts were made to a semaphore."},
    {995,
     "The I/O operation has been aborted because of either a thread exit or an application "
     "request."},
    {1009, "The configuration registry database is corrupt."},
    {1113, "No mapping for the Unicode character exists in the target multi-byte code page."},
    {1117, "The request could not be performed because of an I/O device error."},
    {1131, "A potential deadlock condition has been detected."},
    {1450, "Insufficient system resources exist to complete the requested service."},
    {1460, "This operation returned because the timeout period expired."},
};

}  // namespace

uint32_t fromErrno(int errnoValue) {
  for (const ErrnoMapping& m : kErrnoTable) {
    if (m.errnoValue == errnoValue) return m.code;
  }
  return kErrGenFailure;
}

uint32_t lastErrorNumber() { return fromErrno(errno); }

std::string errorMessage(uint32_t code) {
  for (const MessageEntry& m : kMessages) {
    if (m.code == code) return m.text;
  }
  return {};
}

}  // namespace voplat
