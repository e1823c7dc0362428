// Modules built by this tree as files: "libName.so" on POSIX systems,
// "Name.dll" on Windows.
#pragma once
#include <filesystem>
#include <string>
#include <system_error>

namespace votest {

inline std::string ModuleFile(const std::string& name) {
#ifdef _WIN32
  return name + ".dll";
#else
  return "lib" + name + ".so";
#endif
}

// Makes `to` name the module file `from`: a symbolic link where the system
// has them for everyone, a copy on Windows.
inline bool LinkModule(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::error_code error;
#ifdef _WIN32
  std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, error);
#else
  std::filesystem::create_symlink(from, to, error);
#endif
  return !error;
}

}  // namespace votest
