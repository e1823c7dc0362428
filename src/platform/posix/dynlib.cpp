// Module loading on POSIX systems with the dynamic linker.
//
// Modules keep their original-platform names throughout the library
// ("VoFpga.dll"); nativeModuleName turns them into shared-object names. Bare
// names go through dlopen's own search (LD_LIBRARY_PATH, then the RUNPATH of
// the object that calls dlopen, then the system directories), and modules are
// loaded RTLD_LOCAL so that their symbols never leak into one another.
//
// dlopen finds the RUNPATH through its return address. When something
// interposes dlopen (the sanitizers' run-time libraries do), the interposer
// becomes the caller and this library's RUNPATH is lost. So when a bare name
// is not found, the search is repeated by hand along the directory list that
// the dynamic linker reports for the object holding this code.
#include "platform/dynlib.h"

#include <dlfcn.h>
#include <limits.h>
#include <link.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"

namespace voplat {

namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

bool endsWithDllSuffix(const std::string& s) {
  if (s.size() < 4) return false;
  const char* tail = s.c_str() + s.size() - 4;
  static const char kSuffix[] = ".dll";
  for (int i = 0; i < 4; ++i) {
    char c = tail[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kSuffix[i]) return false;
  }
  return true;
}

// The text of the dynamic linker's last failure, or `fallback` when it has none.
std::string takeDlError(uint32_t fallback) {
  const char* text = dlerror();
  if (text != nullptr && *text != '\0') return text;
  return errorMessage(fallback);
}

void fail(SysError* err, uint32_t code, std::string message) {
  if (err == nullptr) return;
  err->code = code;
  err->message = std::move(message);
}

// The name handed to dlopen: the native name, with a directory part matched
// against the file system the way files.h matches paths.
std::string dlopenName(const std::string& utf8Name) {
  std::string native = nativeModuleName(utf8Name);
  if (native.find('/') != std::string::npos) native = resolvePath(native);
  return native;
}

// The main program's handle and link map, fetched once.
struct MainProgram {
  void* handle = nullptr;
  struct link_map* map = nullptr;
  MainProgram() {
    handle = dlopen(nullptr, RTLD_NOW | RTLD_LOCAL);
    if (handle != nullptr && dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0) map = nullptr;
  }
};

const MainProgram& mainProgram() {
  static const MainProgram program;
  return program;
}

// The directories the dynamic linker searches for a bare name loaded by the
// object that holds this code, in search order.
std::vector<std::string> searchDirectories() {
  std::vector<std::string> directories;
  Dl_info info;
  struct link_map* self = nullptr;
  if (dladdr1(reinterpret_cast<const void*>(&searchDirectories), &info,
              reinterpret_cast<void**>(&self), RTLD_DL_LINKMAP) == 0 ||
      self == nullptr) {
    return directories;
  }
  void* handle = (self->l_name != nullptr && self->l_name[0] != '\0')
                     ? dlopen(self->l_name, RTLD_LAZY | RTLD_NOLOAD)
                     : dlopen(nullptr, RTLD_LAZY);
  if (handle == nullptr) {
    dlerror();
    return directories;
  }
  Dl_serinfo size;
  if (dlinfo(handle, RTLD_DI_SERINFOSIZE, &size) == 0 && size.dls_size >= sizeof(Dl_serinfo)) {
    std::unique_ptr<Dl_serinfo, decltype(&free)> list(
        static_cast<Dl_serinfo*>(malloc(size.dls_size)), &free);
    if (list) {
      list->dls_size = size.dls_size;
      list->dls_cnt = size.dls_cnt;
      if (dlinfo(handle, RTLD_DI_SERINFO, list.get()) == 0) {
        for (unsigned i = 0; i < list->dls_cnt; ++i) {
          const char* dir = list->dls_serpath[i].dls_name;
          if (dir != nullptr && dir[0] != '\0') directories.emplace_back(dir);
        }
      }
    }
  }
  dlclose(handle);
  return directories;
}

// Repeats dlopen's search for a bare name along searchDirectories().
void* loadFromSearchDirectories(const std::string& name) {
  for (const std::string& dir : searchDirectories()) {
    const std::string candidate = dir + (dir.back() == '/' ? "" : "/") + name;
    if (access(candidate.c_str(), F_OK) != 0) continue;
    if (void* handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL)) return handle;
  }
  dlerror();
  return nullptr;
}

std::string directoryPart(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string absolutePath(const char* path) {
  char buffer[PATH_MAX];
  if (realpath(path, buffer) != nullptr) return buffer;
  return path;
}

std::string mainProgramPath() {
  char buffer[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return {};
  return std::string(buffer, static_cast<size_t>(n));
}

}  // namespace

std::string nativeModuleName(const std::string& utf8Name) {
  size_t baseStart = 0;
  for (size_t i = utf8Name.size(); i > 0; --i) {
    if (isSeparator(utf8Name[i - 1])) {
      baseStart = i;
      break;
    }
  }
  std::string base = utf8Name.substr(baseStart);
  // ".dll" alone names nothing; leave it to fail as written.
  if (base.size() <= 4 || !endsWithDllSuffix(base)) return utf8Name;

  std::string result = utf8Name.substr(0, baseStart);
  for (char& c : result) {
    if (c == '\\') c = '/';
  }
  result += "lib";
  result.append(base, 0, base.size() - 4);
  result += ".so";
  return result;
}

ModuleHandle loadModule(const std::string& utf8Name, SysError* err) {
  if (utf8Name.empty()) {
    fail(err, kErrModNotFound, errorMessage(kErrModNotFound));
    return nullptr;
  }
  const std::string native = dlopenName(utf8Name);
  dlerror();
  void* handle = dlopen(native.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    std::string reason = takeDlError(kErrModNotFound);
    if (native.find('/') == std::string::npos) handle = loadFromSearchDirectories(native);
    if (handle == nullptr) fail(err, kErrModNotFound, std::move(reason));
  }
  return handle;
}

ModuleHandle findLoadedModule(const std::string& utf8Name) {
  if (utf8Name.empty()) return nullptr;
  const std::string native = dlopenName(utf8Name);
  void* handle = dlopen(native.c_str(), RTLD_LAZY | RTLD_LOCAL | RTLD_NOLOAD);
  if (handle == nullptr) {
    dlerror();  // leave no stale failure behind
    return nullptr;
  }
  // RTLD_NOLOAD still counts a reference; give it back so that the module's
  // lifetime stays with whoever loaded it.
  dlclose(handle);
  return handle;
}

void* findSymbol(ModuleHandle module, const char* symbol, SysError* err) {
  if (module == nullptr) {
    fail(err, kErrInvalidHandle, errorMessage(kErrInvalidHandle));
    return nullptr;
  }
  if (symbol == nullptr) {
    fail(err, kErrInvalidParameter, errorMessage(kErrInvalidParameter));
    return nullptr;
  }
  dlerror();
  void* address = dlsym(module, symbol);
  if (address == nullptr) fail(err, kErrProcNotFound, takeDlError(kErrProcNotFound));
  return address;
}

void* findMainProgramSymbol(const char* symbol) {
  const MainProgram& program = mainProgram();
  if (symbol == nullptr || program.handle == nullptr || program.map == nullptr) return nullptr;
  dlerror();
  void* address = dlsym(program.handle, symbol);
  if (address == nullptr) {
    dlerror();
    return nullptr;
  }
  // dlsym on the main program searches the global scope, which also holds the
  // program's dependencies; only the program's own definitions count here.
  Dl_info info;
  struct link_map* owner = nullptr;
  if (dladdr1(address, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) == 0 ||
      owner != program.map) {
    return nullptr;
  }
  return address;
}

ModuleHandle mainProgramModule() { return mainProgram().handle; }

// A loaded object's dynamic section is unique while it is loaded and is never
// at address 0, also for a main program linked at a fixed address.
uint64_t moduleStamp(ModuleHandle module) {
  struct link_map* map = nullptr;
  if (module == nullptr || dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr) return 0;
  return reinterpret_cast<uintptr_t>(map->l_ld);
}

bool isModuleStampLoaded(uint64_t stamp) {
  if (stamp == 0) return false;
  struct Search {
    uint64_t stamp;
    bool found;
  } search{stamp, false};
  dl_iterate_phdr(
      [](struct dl_phdr_info* info, size_t, void* data) {
        auto* s = static_cast<Search*>(data);
        for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
          if (info->dlpi_phdr[i].p_type == PT_DYNAMIC &&
              info->dlpi_addr + info->dlpi_phdr[i].p_vaddr == s->stamp) {
            s->found = true;
            return 1;
          }
        }
        return 0;
      },
      &search);
  return search.found;
}

void unloadModule(ModuleHandle module) {
  if (module != nullptr) dlclose(module);
}

std::string moduleDirectoryOf(const void* address) {
  if (address == nullptr) return {};
  Dl_info info;
  struct link_map* owner = nullptr;
  if (dladdr1(address, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) == 0 ||
      owner == nullptr) {
    return {};
  }
  std::string path;
  if (owner->l_name != nullptr && owner->l_name[0] != '\0') {
    path = absolutePath(owner->l_name);
  } else if (owner == mainProgram().map) {
    path = mainProgramPath();
  }
  return directoryPart(path);
}

}  // namespace voplat
