// Shell folders on POSIX systems: common application data is /var/lib; the
// system folder, where the library's companions lie, is the directory of the
// module that holds this code (libvotarsinapi.so, or the program it is
// linked into).
#include "platform/shell_folders.h"

#include <new>

#include "platform/dynlib.h"
#include "platform/textconv.h"

namespace voplat {

namespace {

constexpr int kFolderCommonAppData = 35;
constexpr int kFolderSystem = 37;
constexpr int32_t kHresultInvalidArg = static_cast<int32_t>(0x80070057u);
constexpr int32_t kHresultFail = static_cast<int32_t>(0x80004005u);

const std::string& ownDirectory() {
  static const std::string dir = moduleDirectoryOf(reinterpret_cast<const void*>(&shellFolderPath));
  return dir;
}

}  // namespace

int32_t shellFolderPath(int folderId, std::u16string& out) {
  out.clear();
  const char* path = nullptr;
  switch (folderId) {
    case kFolderCommonAppData:
      path = "/var/lib";
      break;
    case kFolderSystem:
      if (ownDirectory().empty()) return kHresultFail;
      path = ownDirectory().c_str();
      break;
    default:
      return kHresultInvalidArg;
  }
  switch (utf8ToUtf16(path, out)) {
    case ConvResult::ok:
      return 0;
    case ConvResult::outOfMemory:
      throw std::bad_alloc();
    default:
      return kHresultFail;  // a directory name that is not UTF-8
  }
}

}  // namespace voplat
