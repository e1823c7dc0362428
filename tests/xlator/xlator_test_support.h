// Helpers shared by the translation-stack tests: temporary directories with
// registry and error-explanation files, the stand-in manager library, and
// reading members out of error contexts.
#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/dynlib.h"
#include "status/context_writer.h"
#include "status/status.h"
#include "support/module_file.h"
#include "support/temp_dir.h"
#include "support/test_registry.h"
#include "voxlator_standin.h"
#include "xlator/xlator_session.h"

namespace xltest {

// The build's lib/ directory, where the stand-ins lie.
inline std::string LibDir() {
  const char* dir = std::getenv("VO_TEST_LIB_DIR");
  return dir != nullptr ? dir : "";
}

using votest::TempDir;

// An error-explanation file with the given (code, description) pairs, each
// description written as it stands (the caller chooses the code page).
inline std::string ErrorFile(const std::vector<std::pair<int, std::string>>& errors) {
  std::string text = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<vodocument>\n";
  for (const auto& [code, description] : errors) {
    text += "<voerror code=\"" + std::to_string(code) + "\">\n" + description + "\n</voerror>\n";
  }
  return text + "</vodocument>\n";
}

using votest::ScopedRegistry;

// A shared directory with English error files for the error-file translator,
// registered as VOSHAREDDIR, so tests do not depend on installed data.
class SharedErrors {
 public:
  explicit SharedErrors(const std::vector<std::pair<int, std::string>>& english,
                        const std::string& extraRegistry = "")
      : registry_(dir_, "[SOFTWARE\\Corvane\\Common\\Installer]\nVOSHAREDDIR=" + dir_.path() +
                            "/shared\n" + extraRegistry) {
    dir_.makeDir("shared/errors/English");
    dir_.writeFile("shared/errors/English/test.txt", ErrorFile(english));
  }
  const TempDir& dir() const { return dir_; }
  std::string shared() const { return dir_.path() + "/shared"; }

 private:
  TempDir dir_;
  ScopedRegistry registry_;
};

// Makes sessions look for the manager library in `directory`.
class ScopedManagerDirectory {
 public:
  explicit ScopedManagerDirectory(const std::string& directory) {
    voxlator::setManagerDirectoryForTesting(directory.c_str());
  }
  ~ScopedManagerDirectory() { voxlator::setManagerDirectoryForTesting(nullptr); }
  ScopedManagerDirectory(const ScopedManagerDirectory&) = delete;
  ScopedManagerDirectory& operator=(const ScopedManagerDirectory&) = delete;
};

// The stand-in manager library, loaded by the test itself so that its
// counters can be read; the library's own load of the same file shares it.
class StandinManager {
 public:
  StandinManager() {
    module_ = voplat::loadModule(LibDir() + "/" + votest::ModuleFile("voxlator"), nullptr);
    if (module_ == nullptr) return;
    counters_ = reinterpret_cast<void (*)(VoxlatorStandinCounters*)>(
        voplat::findSymbol(module_, "voxlatorstandin_counters", nullptr));
    reset_ =
        reinterpret_cast<void (*)()>(voplat::findSymbol(module_, "voxlatorstandin_reset", nullptr));
    failCreateSession_ = reinterpret_cast<void (*)(int32_t)>(
        voplat::findSymbol(module_, "voxlatorstandin_failCreateSession", nullptr));
    if (reset_ != nullptr) reset_();
  }
  ~StandinManager() {
    if (reset_ != nullptr) reset_();
    if (module_ != nullptr) voplat::unloadModule(module_);
  }
  StandinManager(const StandinManager&) = delete;
  StandinManager& operator=(const StandinManager&) = delete;

  bool ready() const { return counters_ != nullptr && reset_ != nullptr && failCreateSession_; }
  VoxlatorStandinCounters counters() const {
    VoxlatorStandinCounters c{};
    counters_(&c);
    return c;
  }
  void failCreateSession(int32_t code) const { failCreateSession_(code); }

 private:
  voplat::ModuleHandle module_ = nullptr;
  void (*counters_)(VoxlatorStandinCounters*) = nullptr;
  void (*reset_)() = nullptr;
  void (*failCreateSession_)(int32_t) = nullptr;
};

// The value text of a member reached through nested objects; nothing when
// some step is missing.
inline const char* FindPath(const char* json, std::initializer_list<const char*> path) {
  const char* at = json;
  for (const char* key : path) {
    if (at == nullptr) return nullptr;
    at = voerr::ContextWriter::findKey(at, key);
  }
  return at;
}

// The unescaped string at a path; nothing when missing or not a string.
inline std::optional<std::string> StringAt(const char* json,
                                           std::initializer_list<const char*> path) {
  const char* at = FindPath(json, path);
  voerr::JsonValue value;
  if (at == nullptr || !voerr::ContextWriter::parseValue(at, value) ||
      value.kind != voerr::JsonKind::kString) {
    return std::nullopt;
  }
  std::string text;
  if (!voerr::ContextWriter::unescapeString(value.raw, text)) return std::nullopt;
  return text;
}

inline std::optional<int32_t> IntAt(const char* json, std::initializer_list<const char*> path) {
  const char* at = FindPath(json, path);
  return at != nullptr ? voerr::ContextWriter::readInteger(at) : std::nullopt;
}

// A status holding `code` with `context` as its text.
inline voerr::Status StatusWith(int32_t code, const std::string& context) {
  voerr::Status status;
  status.setCode(code);
  status.setContextText(context);
  return status;
}

// JSON string literal of a text (quoted and escaped).
inline std::string Quoted(const std::string& text) {
  return "\"" + voerr::ContextWriter::escape(text) + "\"";
}

}  // namespace xltest
