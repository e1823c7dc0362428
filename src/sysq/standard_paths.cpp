#include "sysq/standard_paths.h"

#include <new>
#include <vector>

#include "platform/files.h"
#include "platform/shell_folders.h"
#include "platform/syserror.h"
#include "status/codes.h"
#include "sysq/registry_store.h"
#include "sysq/wide_text.h"

namespace vosysq {

namespace {

// The first query's room, in bytes.
constexpr uint32_t kFirstQueryBytes = 512;

bool isTrailingJunk(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f' || c == '\0' ||
         c == '\\' || c == '/';
}

bool isWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

void raiseMemoryFull(voerr::Status& status) {
  VOERR_RAISE(status, voerr::kMemoryFull, voerr::kMemoryFullName);
}

void raiseWin32(voerr::Status& status, uint32_t error, const char* desc) {
  VOERR_RAISE(status, voerr::kResourceNotFound, voerr::kResourceNotFoundName)
      .internalError("win32", error, voplat::errorMessage(error))
      .object("vosysq_debug", {{"desc", desc}});
}

void raiseHresult(voerr::Status& status, int32_t result) {
  VOERR_RAISE(status, voerr::kResourceNotFound, voerr::kResourceNotFoundName)
      .object("internal_error", {{"api", "hresult"}, {"code", result}})
      .object("vosysq_debug", {{"desc", "SHGetFolderPathW failed"}});
}

void readSharedDir(const char16_t* valueName, uint32_t view, std::string& out,
                   voerr::Status& status) {
  std::u16string value;
  readRegistryString(kInstallerKey, valueName, view, value, status);
  if (status.isError()) return;
  out = normalizePath(value);
}

}  // namespace

void normalizePath(std::string& path) {
  size_t end = path.size();
  while (end > 0 && isTrailingJunk(path[end - 1])) --end;
  size_t begin = 0;
  while (begin < end && isWhiteSpace(path[begin])) ++begin;
  path.erase(end);
  path.erase(0, begin);
}

std::string normalizePath(std::u16string_view path) {
  std::string utf8 = toUtf8(path);
  normalizePath(utf8);
  return utf8;
}

bool isStandardPathVariable(std::string_view name) noexcept {
  return name == "_voShared32Dir" || name == "_voSharedDir" || name == "_commonAppDataDir" ||
         name == "_tempDir";
}

void getStandardPath(std::string_view variable, std::string& out, voerr::Status& status) {
  out.clear();
  if (status.isError()) return;
  try {
    if (variable == "_voShared32Dir") {
      readSharedDir(u"VOSHAREDDIR", kView32, out, status);
    } else if (variable == "_voSharedDir") {
      readSharedDir(u"VOSHAREDDIR64", kViewDefault, out, status);
    } else if (variable == "_commonAppDataDir") {
      std::u16string folder;
      getFolderPath(kFolderCommonAppData, folder, status);
      if (status.isError()) return;
      folder += u"\\Corvane";
      out = normalizePath(folder);
    } else if (variable == "_tempDir") {
      out = voplat::tempDirectory();
      normalizePath(out);
    } else {
      VOERR_RAISE(status, voerr::kInvalidParameter, voerr::kInvalidParameterName)
          .object("vosysq_debug",
                  {{"desc", "unknown standard path variable"}, {"variable", variable}});
    }
  } catch (const std::bad_alloc&) {
    out.clear();
    raiseMemoryFull(status);
  }
}

void getFolderPath(int folderId, std::u16string& out, voerr::Status& status) {
  out.clear();
  if (status.isError()) return;
  try {
    if (const int32_t result = voplat::shellFolderPath(folderId, out); result != 0) {
      out.clear();
      raiseHresult(status, result);
    }
  } catch (const std::bad_alloc&) {
    out.clear();
    raiseMemoryFull(status);
  }
}

void readRegistryString(std::u16string_view keyPath, std::u16string_view valueName, uint32_t view,
                        std::u16string& out, voerr::Status& status) {
  out.clear();
  if (status.isError()) return;
  try {
    RegistryKey key;  // closed on every path by its destructor
    if (const uint32_t err = key.open(keyPath, kKeyRead | view); err != 0) {
      if (key.badLine() != 0) {
        VOERR_RAISE(status, voerr::kResourceNotFound, voerr::kResourceNotFoundName)
            .internalError("win32", err, voplat::errorMessage(err))
            .object("vosysq_debug", {{"desc", "RegOpenKeyEx failed"},
                                     {"reason", "registry file is not UTF-8"},
                                     {"path", key.filePath()},
                                     {"line", key.badLine()}});
        return;
      }
      raiseWin32(status, err, "RegOpenKeyEx failed");
      return;
    }
    uint32_t size = kFirstQueryBytes;
    std::vector<char16_t> buffer(size / sizeof(char16_t));
    uint32_t err = key.queryValue(valueName, buffer.data(), &size);
    while (err == voplat::kErrMoreData) {
      // Grow to the size reported and ask again; the value may have grown in
      // between, in which case the loop goes round once more.
      buffer.resize((size + 1) / sizeof(char16_t));
      err = key.queryValue(valueName, buffer.data(), &size);
    }
    if (err != 0) {
      raiseWin32(status, err, "RegQueryValue failed");
      return;
    }
    out.assign(buffer.data(), size / sizeof(char16_t));
  } catch (const std::bad_alloc&) {
    out.clear();
    raiseMemoryFull(status);
  }
}

void readRegistryStringUtf8(std::string_view keyPath, std::string_view valueName, std::string& out,
                            voerr::Status& status) {
  out.clear();
  if (status.isError()) return;
  try {
    std::u16string value;
    readRegistryString(toUtf16(keyPath), toUtf16(valueName), kView32, value, status);
    if (status.isError()) return;
    out = toUtf8(value);
  } catch (const std::bad_alloc&) {
    out.clear();
    raiseMemoryFull(status);
  }
}

}  // namespace vosysq
