// Helpers of the script translator's tests: interpreter states with the
// host's libraries, running script text, and translators with the test
// modules of tests/xlatorlua/scripts.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "status/status.h"
#include "xlator/xlator_session.h"
#include "xlatorlua/embedded_modules.h"
#include "xlatorlua/libraries.h"
#include "xlatorlua/lua_api.h"
#include "xlatorlua/script_host.h"

namespace xlatorluatest {

// The test modules: json (dkjson), the test bootstrap "voxlatorlua",
// "testxlator" and "loaded_at_setup", as precompiled chunks or source text
// like the library's own.
voxlatorlua::ModuleSet hostTestModules() noexcept;

inline constexpr const char* kTestRegistration = R"({"voxlatorlua_xlator":"testxlator"})";

// A state with the host's libraries, opened as the host opens them.
class LuaState {
 public:
  LuaState() : L_(luaL_newstate()) {
    for (const voxlatorlua::LibrarySpec& library : voxlatorlua::standardLibraries()) {
      lua_pushcfunction(L_, library.open);
      lua_pushstring(L_, library.name);
      if (lua_pcall(L_, 1, 0, 0) != 0) {
        ADD_FAILURE() << "opening " << library.name << ": " << lua_tostring(L_, -1);
        lua_pop(L_, 1);
      }
    }
  }
  ~LuaState() { lua_close(L_); }
  LuaState(const LuaState&) = delete;
  LuaState& operator=(const LuaState&) = delete;
  lua_State* get() const { return L_; }

 private:
  lua_State* L_;
};

// What running a chunk gave: its first result as text (tostring), or the
// error message.
struct RunResult {
  bool ok = false;
  std::string value;  // tostring of the first result; "nil" when none
  std::string error;
};

inline RunResult Run(lua_State* L, const std::string& code) {
  RunResult result;
  const int top = lua_gettop(L);
  if (luaL_loadbuffer(L, code.data(), code.size(), "=test") != 0 || lua_pcall(L, 0, 1, 0) != 0) {
    result.error = lua_isstring(L, -1) ? lua_tostring(L, -1) : "(non-string error)";
  } else {
    result.ok = true;
    lua_getglobal(L, "tostring");
    lua_insert(L, -2);
    lua_call(L, 1, 1);
    result.value = lua_tostring(L, -1);
  }
  lua_settop(L, top);
  return result;
}

// The first result of a chunk that must succeed.
inline std::string Eval(lua_State* L, const std::string& code) {
  RunResult result = Run(L, code);
  EXPECT_TRUE(result.ok) << code << "\n" << result.error;
  return result.value;
}

// The error message of a chunk that must fail.
inline std::string ErrorOf(lua_State* L, const std::string& code) {
  RunResult result = Run(L, code);
  EXPECT_FALSE(result.ok) << code << " gave " << result.value;
  return result.error;
}

struct TranslatorDeleter {
  void operator()(voxlator::TranslatorInterface* translator) const {
    if (translator != nullptr) translator->destroy(translator);
  }
};
using TranslatorPtr = std::unique_ptr<voxlator::TranslatorInterface, TranslatorDeleter>;

inline voxlatorlua::HostConfig TestConfig() {
  voxlatorlua::HostConfig config;
  config.modules = hostTestModules();
  return config;
}

// A translator over the test modules, created through the factory.
inline TranslatorPtr NewTestTranslator(const char* registration = kTestRegistration) {
  voerr::Status status;
  TranslatorPtr translator(
      voxlatorlua::newScriptTranslator("test_xlator", registration, status, TestConfig()));
  EXPECT_NE(translator, nullptr) << status.contextText();
  return translator;
}

// The descriptions as texts; `null` tells a null result apart from "".
struct Description {
  bool null = true;
  std::string text;
};

inline Description Own(char* text) {
  Description description;
  if (text != nullptr) {
    description.null = false;
    description.text = text;
    voxlator::freeXlatorText(text);
  }
  return description;
}

inline Description StaticDesc(voxlator::TranslatorInterface* translator, int32_t code,
                              uint32_t options, voerr::Status& status) {
  return Own(translator->getStaticDesc(translator, code, options, &voxlator::allocateXlatorText,
                                       nullptr, status));
}

inline Description DynamicDesc(voxlator::TranslatorInterface* translator, const char* context,
                               uint32_t options, voerr::Status& status,
                               const char* format = "json1") {
  return Own(translator->getDynamicDesc(translator, context, options, format,
                                        &voxlator::allocateXlatorText, nullptr, status));
}

}  // namespace xlatorluatest
