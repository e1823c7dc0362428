// The script host: creation, its failures and their contexts, the
// conversions of the description results, and the host's behaviour under
// allocation failures.
#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#endif
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "status/codes.h"
#include "sysq/sysq_test_support.h"
#include "xlatorlua/prepared_chunk.h"
#include "xlatorlua_test_support.h"

namespace {

using sysqtest::IntAt;
using sysqtest::StringAt;
using voxlatorlua::scriptState;
using xlatorluatest::DynamicDesc;
using xlatorluatest::Eval;
using xlatorluatest::NewTestTranslator;
using xlatorluatest::StaticDesc;
using xlatorluatest::TestConfig;
using xlatorluatest::TranslatorPtr;

// The test modules followed by `extra`.
std::vector<voxlatorlua::EmbeddedModule> WithModules(
    std::initializer_list<voxlatorlua::EmbeddedModule> extra) {
  std::vector<voxlatorlua::EmbeddedModule> modules;
  for (const voxlatorlua::EmbeddedModule& module : xlatorluatest::hostTestModules()) {
    modules.push_back(module);
  }
  modules.insert(modules.end(), extra.begin(), extra.end());
  return modules;
}

voxlatorlua::EmbeddedModule Module(const char* fileName, const char* text) {
  return {fileName, text, std::strlen(text)};
}

TEST(ScriptHostTest, CreationFillsTheHeadAndRunsSetup) {
  TranslatorPtr translator = NewTestTranslator(
      R"({"voxlatorlua_xlator":"testxlator","voxlatorlua_settings":{"driverName":"d","n":3}})");
  ASSERT_NE(translator, nullptr);
  EXPECT_EQ(translator->structSize, 32u);
  EXPECT_EQ(translator->getStaticDesc, &voxlatorlua::scriptGetStaticDesc);
  EXPECT_EQ(translator->getDynamicDesc, &voxlatorlua::scriptGetDynamicDesc);
  EXPECT_EQ(translator->destroy, &voxlatorlua::destroyScriptTranslator);
  lua_State* L = scriptState(translator.get());
  ASSERT_NE(L, nullptr);
  EXPECT_EQ(Eval(L, "return voxlatorlua_name"), "test_xlator");
  EXPECT_EQ(Eval(L, "return voxlatorlua_xlator == testxlator"), "true");
  EXPECT_EQ(Eval(L, "return voxlatorlua_settings.driverName .. voxlatorlua_settings.n"), "d3");
  EXPECT_EQ(Eval(L, "return package.path .. '|' .. package.cpath"), "|");
  EXPECT_EQ(lua_gettop(L), 0);
  // The collector's pause is the interpreter's default again.
  EXPECT_EQ(Eval(L, "return collectgarbage('setpause', 200)"), "200");
}

TEST(ScriptHostTest, OpensExactlyTheListedLibraries) {
  TranslatorPtr translator = NewTestTranslator();
  ASSERT_NE(translator, nullptr);
  lua_State* L = scriptState(translator.get());
  // Loaded after setup: the libraries, and the modules that setup required.
  const std::set<std::string> expected = {"_G",
                                          "coroutine",
                                          "package",
                                          "table",
                                          "io",
                                          "os",
                                          "string",
                                          "math",
                                          "debug",
                                          "lfs",
                                          "stdint",
                                          "cjson",
                                          "voxlatorluautils",
                                          "json",
                                          "voxlatorlua",
                                          "testxlator"};
  const std::string names = Eval(L,
                                 "local names = {} for k in pairs(package.loaded) do"
                                 " names[#names + 1] = k end table.sort(names)"
                                 " return table.concat(names, ' ')");
  std::set<std::string> loaded;
  for (size_t start = 0; start < names.size();) {
    size_t end = names.find(' ', start);
    if (end == std::string::npos) end = names.size();
    loaded.insert(names.substr(start, end - start));
    start = end + 1;
  }
  EXPECT_EQ(loaded, expected) << names;
  // One globals table and one table of loaded modules, whichever way they
  // are reached.
  EXPECT_EQ(Eval(L,
                 "return tostring(_G == getfenv(0) and package.loaded._G == _G"
                 " and debug.getregistry()._LOADED == package.loaded)"),
            "true");
  for (const char* global : {"coroutine", "package", "table", "io", "os", "string", "math", "debug",
                             "lfs", "stdint", "cjson", "voxlatorluautils"}) {
    EXPECT_EQ(Eval(L, std::string("return type(") + global + ")"), "table") << global;
  }
  EXPECT_EQ(Eval(L, "return type(coroutine.create) .. type(lfs.dir) .. type(cjson.decode)"),
            "functionfunctionfunction");
}

TEST(ScriptHostTest, ModulesArePreloadedAndRunOnFirstRequire) {
  TranslatorPtr translator = NewTestTranslator();
  ASSERT_NE(translator, nullptr);
  lua_State* L = scriptState(translator.get());
  EXPECT_EQ(Eval(L, "return type(package.preload.loaded_at_setup)"), "function");
  EXPECT_EQ(Eval(L, "return loaded_at_setup_runs"), "nil");
  EXPECT_EQ(Eval(L, "return require('loaded_at_setup').runs + require('loaded_at_setup').runs"),
            "2");
  EXPECT_EQ(Eval(L, "return loaded_at_setup_runs"), "1");
  // Nothing on package.path: a module neither preloaded nor loaded is not found.
  EXPECT_EQ(xlatorluatest::ErrorOf(L, "require('nosuch')"),
            "test:1: module 'nosuch' not found:\n\tno field package.preload['nosuch']");
}

TEST(ScriptHostTest, SetupFailureCarriesNameAndRegistration) {
  const char* registration = R"({"voxlatorlua_xlator":"missing_module"})";
  voerr::Status status;
  voxlatorlua::ScriptTranslator object;
  voxlatorlua::createScriptTranslator(object, "the_name", registration, status, TestConfig());
  EXPECT_EQ(object.state, nullptr);
  EXPECT_EQ(object.head.structSize, 32u);
  EXPECT_EQ(status.code(), voerr::kSoftwareFault);
  const char* ctx = status.contextText();
  sysqtest::ExpectStandardMembers(status, "voapalerr_softwareFaultAPALInternalUseOnly");
  EXPECT_EQ(StringAt(ctx, {"voxlatorlua_debug", "debug"}), "lua setupEnv failed") << ctx;
  EXPECT_EQ(StringAt(ctx, {"voxlatorlua_debug", "name"}), "the_name");
  EXPECT_EQ(StringAt(ctx, {"voxlatorlua_debug", "registrationInfo"}), registration);
  EXPECT_EQ(StringAt(ctx, {"internal_error", "api"}), "lua");
  EXPECT_EQ(IntAt(ctx, {"internal_error", "code"}), 2);
  EXPECT_NE(StringAt(ctx, {"internal_error", "string"})
                .value_or("")
                .find("module 'missing_module' not found"),
            std::string::npos)
      << ctx;
  // The member order of every context: the standard members first.
  EXPECT_EQ(std::string(ctx).rfind("{\"error_constant\":", 0), 0u) << ctx;

  // Through the factory: null, and the same error.
  voerr::Status factoryStatus;
  EXPECT_EQ(voxlatorlua::newScriptTranslator("n", registration, factoryStatus, TestConfig()),
            nullptr);
  EXPECT_EQ(factoryStatus.code(), voerr::kSoftwareFault);
}

TEST(ScriptHostTest, NothingIsCreatedOverAnError) {
  voerr::Status status;
  status.raise(-5, "earlier", "f", 1, "c");
  voxlatorlua::ScriptTranslator object;
  object.state = reinterpret_cast<lua_State*>(&object);  // must be overwritten
  voxlatorlua::createScriptTranslator(object, "n", xlatorluatest::kTestRegistration, status,
                                      TestConfig());
  EXPECT_EQ(object.state, nullptr);
  EXPECT_EQ(status.code(), -5);
  EXPECT_EQ(StringAt(status.contextText(), {"error_constant"}), "earlier");
  EXPECT_EQ(
      voxlatorlua::newScriptTranslator("n", xlatorluatest::kTestRegistration, status, TestConfig()),
      nullptr);
  // A warning does not stop creation and stays.
  voerr::Status warning;
  warning.raise(3, "warned", "f", 1, "c");
  TranslatorPtr translator(voxlatorlua::newScriptTranslator("n", xlatorluatest::kTestRegistration,
                                                            warning, TestConfig()));
  EXPECT_NE(translator, nullptr);
  EXPECT_EQ(warning.code(), 3);
}

TEST(ScriptHostTest, AModuleThatDoesNotCompileIsReportedAfterAllWereTried) {
  const auto modules =
      WithModules({Module("broken.lua", "return ("), Module("notes.txt", "skipped ((("),
                   Module("noext", "skipped ((("), Module("also_broken.luac", "x = = 1")});
  voxlatorlua::HostConfig config = TestConfig();
  config.modules = {modules.data(), modules.size()};
  voerr::Status status;
  testing::internal::CaptureStderr();
  TranslatorPtr translator(
      voxlatorlua::newScriptTranslator("n", xlatorluatest::kTestRegistration, status, config));
  const std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_EQ(translator, nullptr);
  EXPECT_EQ(errors,
            "ERROR: Failed to load \"broken.lua\": [string \"broken.lua\"]:1: unexpected symbol "
            "near '<eof>'\n"
            "ERROR: Failed to load \"also_broken.luac\": [string \"also_broken.luac\"]:1: "
            "unexpected symbol near '='\n");
  EXPECT_EQ(status.code(), voerr::kSoftwareFault);
  const char* ctx = status.contextText();
  EXPECT_EQ(StringAt(ctx, {"voxlatorlua_debug", "debug"}),
            "failed to add embedded modules to preload table");
  EXPECT_EQ(IntAt(ctx, {"internal_error", "code"}), 1);
  EXPECT_EQ(StringAt(ctx, {"internal_error", "api"}), "lua");
  EXPECT_FALSE(StringAt(ctx, {"internal_error", "string"}).has_value()) << ctx;
}

TEST(ScriptHostTest, SuffixDecidesWhatIsInstalledUnderWhichName) {
  const auto modules = WithModules(
      {Module("extra.lua", "return 'from source'"), Module("dotted.name.lua", "return 'dotted'"),
       Module("skipped.txt", "return 1"), Module("plain", "return 1")});
  voxlatorlua::HostConfig config = TestConfig();
  config.modules = {modules.data(), modules.size()};
  voerr::Status status;
  TranslatorPtr translator(
      voxlatorlua::newScriptTranslator("n", xlatorluatest::kTestRegistration, status, config));
  ASSERT_NE(translator, nullptr) << status.contextText();
  lua_State* L = scriptState(translator.get());
  EXPECT_EQ(Eval(L, "return require('extra')"), "from source");
  EXPECT_EQ(Eval(L, "return require('dotted.name')"), "dotted");
  EXPECT_EQ(Eval(L,
                 "return tostring(package.preload.skipped) .. tostring(package.preload.plain)"
                 " .. tostring(package.preload['skipped.txt'])"),
            "nilnilnil");
}

// Tries to create a host whose modules include `fileName` with `chunk`;
// returns what went to the standard error stream.
std::string CreationErrors(const char* fileName, const std::string& chunk) {
  const auto modules = WithModules({{fileName, chunk.data(), chunk.size()}});
  voxlatorlua::HostConfig config = TestConfig();
  config.modules = {modules.data(), modules.size()};
  voerr::Status status;
  testing::internal::CaptureStderr();
  EXPECT_EQ(voxlatorlua::newScriptTranslator("n", xlatorluatest::kTestRegistration, status, config),
            nullptr);
  EXPECT_EQ(status.code(), voerr::kSoftwareFault);
  return testing::internal::GetCapturedStderr();
}

TEST(ScriptHostTest, AChunkForAnotherInterpreterIsRefused) {
  // The test set's own json module (prepared, or source text), and luac's
  // chunk of it, each with a changed header byte (the size of lua_Number)
  // as a foreign interpreter writes it.
  std::string embedded;
  for (const voxlatorlua::EmbeddedModule& module : xlatorluatest::hostTestModules()) {
    if (std::strncmp(module.fileName, "json.", 5) == 0) embedded.assign(module.data, module.size);
  }
  ASSERT_FALSE(embedded.empty());
  lua_State* L = luaL_newstate();
  const bool prepared =
      embedded.compare(0, VOXLATORLUA_PREPARED_SIGNATURE_SIZE, VOXLATORLUA_PREPARED_SIGNATURE) == 0;
  ASSERT_EQ(prepared ? voxlatorlua_loadPreparedChunk(L, embedded.data(), embedded.size(), "json")
                     : luaL_loadbuffer(L, embedded.data(), embedded.size(), "json"),
            0);
  std::string chunk;
  lua_dump(
      L,
      [](lua_State*, const void* p, size_t n, void* out) {
        static_cast<std::string*>(out)->append(static_cast<const char*>(p), n);
        return 0;
      },
      &chunk);
  lua_close(L);

  chunk[10] = 4;  // sizeof(lua_Number): a float interpreter
  EXPECT_EQ(CreationErrors("foreign.luac", chunk),
            "ERROR: Failed to load \"foreign.luac\": foreign.luac: bad header in precompiled "
            "chunk\n");
  if (prepared) {
    embedded[VOXLATORLUA_PREPARED_SIGNATURE_SIZE + 10] = 4;
    EXPECT_EQ(CreationErrors("foreign.luac", embedded),
              "ERROR: Failed to load \"foreign.luac\": foreign.luac: bad header in precompiled "
              "chunk\n");
  }
}

int FailingOpener(lua_State* L) { return luaL_error(L, "cannot open %s", lua_tostring(L, 1)); }

TEST(ScriptHostTest, ALibraryThatFailsToOpenFailsCreation) {
  const voxlatorlua::LibrarySet standard = voxlatorlua::standardLibraries();
  std::vector<voxlatorlua::LibrarySpec> libraries(standard.begin(), standard.end());
  libraries.insert(libraries.begin() + 3, {"failing", FailingOpener});
  voxlatorlua::HostConfig config = TestConfig();
  config.libraries = {libraries.data(), libraries.size()};
  voerr::Status status;
  EXPECT_EQ(voxlatorlua::newScriptTranslator("n", xlatorluatest::kTestRegistration, status, config),
            nullptr);
  EXPECT_EQ(status.code(), voerr::kSoftwareFault);
  const char* ctx = status.contextText();
  EXPECT_EQ(StringAt(ctx, {"voxlatorlua_debug", "debug"}), "failed to load lua lib");
  EXPECT_EQ(StringAt(ctx, {"voxlatorlua_debug", "lib"}), "failing");
  EXPECT_EQ(StringAt(ctx, {"internal_error", "string"}), "cannot open failing");
  EXPECT_EQ(IntAt(ctx, {"internal_error", "code"}), 2);
}

void* NeverAllocate(void*, void* block, size_t, size_t newSize) {
  if (newSize == 0) std::free(block);
  return nullptr;
}

TEST(ScriptHostTest, AStateThatCannotBeCreated) {
  voxlatorlua::HostConfig config = TestConfig();
  config.allocator = NeverAllocate;
  voerr::Status status;
  EXPECT_EQ(voxlatorlua::newScriptTranslator("n", xlatorluatest::kTestRegistration, status, config),
            nullptr);
  EXPECT_EQ(status.code(), voerr::kMemoryFull);
  sysqtest::ExpectStandardMembers(status, "voapalerr_memoryFull");
  EXPECT_EQ(StringAt(status.contextText(), {"voxlatorlua_debug", "debug"}),
            "failed to create lua state");
}

// ---- descriptions ----

class DescriptionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    translator_ = NewTestTranslator();
    ASSERT_NE(translator_, nullptr);
  }
  lua_State* L() { return scriptState(translator_.get()); }
  voxlator::TranslatorInterface* T() { return translator_.get(); }
  void Script(const std::string& code) { Eval(L(), code + " return true"); }

  TranslatorPtr translator_;
};

TEST_F(DescriptionTest, StaticResultsAreConvertedToText) {
  const struct {
    const char* result;
    const char* text;
  } cases[] = {{"nil", ""},    {"42", "42"}, {"4.5", "4.5"}, {"'text'", "text"},
               {"'17'", "17"}, {"true", ""}, {"{}", ""},     {"2^60", "1.1529215046068e+18"}};
  for (const auto& c : cases) {
    Script(std::string("testxlator.static = function() return ") + c.result + " end");
    voerr::Status status;
    const auto description = StaticDesc(T(), -1, 0, status);
    EXPECT_FALSE(description.null) << c.result;
    EXPECT_EQ(description.text, c.text) << c.result;
    EXPECT_EQ(status.code(), 0);
  }
  Script("testxlator.static = nil");
  voerr::Status status;
  EXPECT_EQ(StaticDesc(T(), -304100, 0, status).text, "static -304100");
}

// A state kept for many descriptions does not keep their garbage: some
// 16 MB of strings over all calls, a heap far smaller at the end.
TEST_F(DescriptionTest, StateKeptForManyDescriptionsCollectsTheirGarbage) {
  Script(
      "testxlator.static = function(code)"
      "  local t = {}"
      "  for i = 1, 4096 do t[i] = string.rep('x', 64) .. code .. ':' .. i end"
      "  return #t "
      "end");
  for (int call = 0; call < 32; ++call) {
    voerr::Status status;
    ASSERT_EQ(StaticDesc(T(), call, 0, status).text, "4096");
  }
  EXPECT_LT(lua_gc(L(), LUA_GCCOUNT, 0), 8 * 1024);
}

TEST_F(DescriptionTest, OptionsWordGivesLanguageAndHint) {
  const struct {
    uint32_t options;
    const char* expected;
  } cases[] = {{0x0103, "3 1"}, {0x1000, "0 0"}, {0xfffff2ff, "255 2"}, {0x0005, "5 0"}};
  for (const auto& c : cases) {
    voerr::Status status;
    StaticDesc(T(), 9, c.options, status);
    EXPECT_EQ(Eval(L(), "return testxlator.last.lang .. ' ' .. testxlator.last.ade"), c.expected);
    xlatorluatest::DynamicDesc(T(), "{}", c.options, status);
    EXPECT_EQ(Eval(L(), "return testxlator.last.lang .. ' ' .. testxlator.last.ade"), c.expected);
  }
  EXPECT_EQ(Eval(L(), "return testxlator.last.format .. ' ' .. testxlator.last.errjson"),
            "json1 {}");
}

TEST_F(DescriptionTest, StaticScriptErrorCarriesMessageAndTraceback) {
  Script("testxlator.static = function() error('it broke') end");
  voerr::Status status;
  EXPECT_TRUE(StaticDesc(T(), 1, 0, status).null);
  EXPECT_EQ(status.code(), voerr::kSoftwareFault);
  const char* ctx = status.contextText();
  sysqtest::ExpectStandardMembers(status, "voapalerr_softwareFaultAPALInternalUseOnly");
  EXPECT_EQ(StringAt(ctx, {"voxlatorlua_debug", "debug"}), "failed to get static desc");
  EXPECT_EQ(StringAt(ctx, {"internal_error", "api"}), "lua");
  EXPECT_EQ(IntAt(ctx, {"internal_error", "code"}), 2);
  const std::string message = StringAt(ctx, {"internal_error", "string"}).value_or("");
  EXPECT_EQ(message.rfind("test:1: it broke\nstack traceback:", 0), 0u) << message;
  EXPECT_NE(message.find("\n\ttest:1: in function"), std::string::npos) << message;
}

TEST_F(DescriptionTest, WithoutAMessageHandlerThereIsNoTraceback) {
  Script("voxlatorlua_errHandler = 5 testxlator.static = function() error('plain') end");
  voerr::Status status;
  EXPECT_TRUE(StaticDesc(T(), 1, 0, status).null);
  EXPECT_EQ(StringAt(status.contextText(), {"internal_error", "string"}), "test:1: plain");
}

TEST_F(DescriptionTest, ErrorObjectsThatAreNotStrings) {
  Script("voxlatorlua_errHandler = nil testxlator.static = function() error(12.5, 0) end");
  voerr::Status number;
  StaticDesc(T(), 1, 0, number);
  EXPECT_EQ(StringAt(number.contextText(), {"internal_error", "string"}), "12.5");
  Script("testxlator.static = function() error({}) end");
  voerr::Status table;
  StaticDesc(T(), 1, 0, table);
  EXPECT_EQ(table.code(), voerr::kSoftwareFault);
  EXPECT_FALSE(StringAt(table.contextText(), {"internal_error", "string"}).has_value())
      << table.contextText();
  EXPECT_EQ(IntAt(table.contextText(), {"internal_error", "code"}), 2);
}

TEST_F(DescriptionTest, DynamicNumberResultsAreStatusCodes) {
  const struct {
    const char* result;
    int32_t before;
    int32_t after;
  } cases[] = {
      {"-52029", 0, -52029}, {"'17'", 0, 17},   {"0", 0, 0},
      {"-3", 5, -3},         {"7", 5, 5},       {"0", 5, 5},
      {"4294967295", 0, -1}, {"'0x11'", 0, 17}, {"-52029.9", 0, -52029},
      {"2^40 + 6", 0, 6},
  };
  for (const auto& c : cases) {
    Script(std::string("testxlator.dynamic = function() return ") + c.result + " end");
    voerr::Status status;
    if (c.before != 0) status.raise(c.before, "before", "f", 1, "c");
    EXPECT_TRUE(DynamicDesc(T(), "{}", 0, status).null) << c.result;
    EXPECT_EQ(status.code(), c.after) << c.result;
    if (c.after != c.before) {
      EXPECT_EQ(StringAt(status.contextText(), {"error_constant"}),
                "(int32_t)lua_tointeger(L, -1)");
      EXPECT_EQ(StringAt(status.contextText(), {"voxlatorlua_debug", "debug"}),
                "failed to get dynamic desc");
    } else if (c.before != 0) {
      EXPECT_EQ(StringAt(status.contextText(), {"error_constant"}), "before");
    } else {
      EXPECT_FALSE(status.hasContext());
    }
  }
}

TEST_F(DescriptionTest, DynamicIsNotRunOverAnError) {
  Script("testxlator.dynamic = function() ran = true return 'x' end");
  voerr::Status status;
  status.raise(-7, "before", "f", 1, "c");
  EXPECT_TRUE(DynamicDesc(T(), "{}", 0, status).null);
  EXPECT_EQ(status.code(), -7);
  EXPECT_EQ(Eval(L(), "return ran"), "nil");
}

TEST_F(DescriptionTest, DynamicTextResults) {
  voerr::Status status;
  EXPECT_EQ(DynamicDesc(T(), "{\"a\":1}", 0, status).text, "{\"a\":1}");
  Script("testxlator.dynamic = function() return {} end");
  const auto empty = DynamicDesc(T(), "{}", 0, status);
  EXPECT_FALSE(empty.null);
  EXPECT_EQ(empty.text, "");
  Script("testxlator.dynamic = function(j, l, a, f) return f end");
  EXPECT_EQ(DynamicDesc(T(), "{}", 0, status, "json").text, "json");
  EXPECT_EQ(status.code(), 0);
}

TEST_F(DescriptionTest, DynamicScriptError) {
  Script("testxlator.dynamic = function(j) return cjson.decode(j) + 1 end");
  voerr::Status status;
  EXPECT_TRUE(DynamicDesc(T(), "not json", 0, status).null);
  EXPECT_EQ(status.code(), voerr::kSoftwareFault);
  EXPECT_EQ(StringAt(status.contextText(), {"voxlatorlua_debug", "debug"}),
            "failed to get dynamic desc");
  EXPECT_NE(StringAt(status.contextText(), {"internal_error", "string"})
                .value_or("")
                .find("stack traceback:"),
            std::string::npos);
}

void* RefusingAllocate(void* block, size_t size, void*, voerr::Status* status) {
  if (size == 0) {
    std::free(block);
    return nullptr;
  }
  VOERR_RAISE(*status, voerr::kMemoryFull, voerr::kMemoryFullName);
  return nullptr;
}

TEST_F(DescriptionTest, AResultThatCannotBeAllocated) {
  voerr::Status status;
  EXPECT_EQ(T()->getStaticDesc(T(), 1, 0, RefusingAllocate, nullptr, status), nullptr);
  EXPECT_EQ(status.code(), voerr::kMemoryFull);
  voerr::Status dynamic;
  EXPECT_EQ(T()->getDynamicDesc(T(), "{}", 0, "json1", RefusingAllocate, nullptr, dynamic),
            nullptr);
  EXPECT_EQ(dynamic.code(), voerr::kMemoryFull);
}

TEST_F(DescriptionTest, UnmapErrorCodeIsDefinedByTheFactory) {
  EXPECT_EQ(Eval(L(), "return vomxl_unmapErrorCode(4294914767)"), "-52529");
  EXPECT_EQ(Eval(L(), "return vomxl_unmapErrorCode(-52529)"), "-52529");
  EXPECT_EQ(Eval(L(), "return vomxl_unmapErrorCode(2147483648)"), "-2147483648");
  EXPECT_EQ(Eval(L(), "return vomxl_unmapErrorCode(2^40 + 5)"), "5");
  EXPECT_EQ(Eval(L(), "return vomxl_unmapErrorCode(-1.9)"), "-1");
  EXPECT_EQ(Eval(L(), "return vomxl_unmapErrorCode(2^70 + 2^33)"), "0");
  EXPECT_EQ(xlatorluatest::ErrorOf(L(), "return vomxl_unmapErrorCode('x')"),
            "test:1: bad argument #1 to 'vomxl_unmapErrorCode' (number expected, got string)");
  // Not part of a bare host.
  voerr::Status status;
  voxlatorlua::ScriptTranslator object;
  voxlatorlua::createScriptTranslator(object, "n", xlatorluatest::kTestRegistration, status,
                                      TestConfig());
  ASSERT_NE(object.state, nullptr);
  EXPECT_EQ(Eval(object.state, "return vomxl_unmapErrorCode"), "nil");
  voxlatorlua::closeScriptState(object.state);
}

// ---- allocation failures ----

// Lets `budget` allocations through, then fails every one that grows a
// block (the interpreter requires frees and shrinks to succeed).
struct BudgetAllocator {
  long budget = -1;  // negative: no limit
  long failures = 0;

  static void* Allocate(void* self, void* block, size_t oldSize, size_t newSize) {
    auto* allocator = static_cast<BudgetAllocator*>(self);
    if (newSize == 0) {
      std::free(block);
      return nullptr;
    }
    if (newSize > oldSize && allocator->budget >= 0) {
      if (allocator->budget == 0) {
        ++allocator->failures;
        return nullptr;
      }
      --allocator->budget;
    }
    return std::realloc(block, newSize);
  }
};

// Creation fails cleanly at every allocation that can fail: the state is
// closed (LeakSanitizer checks), and the status says why.
TEST(ScriptHostAllocationTest, CreationSurvivesEveryAllocationFailure) {
  BudgetAllocator allocator;
  voxlatorlua::HostConfig config = TestConfig();
  config.allocator = BudgetAllocator::Allocate;
  config.allocatorContext = &allocator;
  int failedAttempts = 0;
  for (long budget = 0;; ++budget) {
    allocator.budget = budget;
    voerr::Status status;
    testing::internal::CaptureStderr();  // a failing compile reports there
    TranslatorPtr translator(
        voxlatorlua::newScriptTranslator("n", xlatorluatest::kTestRegistration, status, config));
    testing::internal::GetCapturedStderr();
    if (translator != nullptr) {
      EXPECT_EQ(status.code(), 0);
      EXPECT_EQ(allocator.failures, 0);
      break;
    }
    ++failedAttempts;
    ASSERT_TRUE(status.code() == voerr::kMemoryFull || status.code() == voerr::kSoftwareFault)
        << budget << ": " << status.contextText();
    ASSERT_TRUE(StringAt(status.contextText(), {"voxlatorlua_debug", "debug"}).has_value())
        << status.contextText();
    ASSERT_LT(budget, 200000) << "creation never succeeded";
    allocator.failures = 0;
  }
  EXPECT_GT(failedAttempts, 100);
  // The io library's standard files were never closed with a failed state.
#ifdef _WIN32
  EXPECT_NE(_get_osfhandle(1), -1);
  EXPECT_NE(_get_osfhandle(2), -1);
#else
  EXPECT_NE(fcntl(1, F_GETFD), -1);
  EXPECT_NE(fcntl(2, F_GETFD), -1);
#endif
}

// Descriptions that run into allocation failures inside native functions
// (which hold C++ objects in interpreter-owned storage) fail with the
// interpreter's memory status and leave the state usable.
TEST(ScriptHostAllocationTest, DescriptionsSurviveEveryAllocationFailure) {
  BudgetAllocator allocator;
  voxlatorlua::HostConfig config = TestConfig();
  config.allocator = BudgetAllocator::Allocate;
  config.allocatorContext = &allocator;
  voerr::Status created;
  TranslatorPtr translator(
      voxlatorlua::newScriptTranslator("n", xlatorluatest::kTestRegistration, created, config));
  ASSERT_NE(translator, nullptr) << created.contextText();
  lua_State* L = scriptState(translator.get());
  Eval(L,
       "testxlator.static = function(code)"
       "  local parts = {}"
       "  for i = 1, 20 do"
       "    parts[#parts + 1] = voxlatorluautils.mbsToUtf8(1, 'caf\\233 ' .. i)"
       "    parts[#parts + 1] = voxlatorluautils.expandPath('n', 'a/b/' .. i)"
       "    parts[#parts + 1] = cjson.encode({p = 'x/y' .. i})"
       "    parts[#parts + 1] = tostring(stdint.u64(i) * 3)"
       "  end"
       "  return table.concat(parts, ',')"
       "end return true");
  voerr::Status reference;
  const auto expected = StaticDesc(translator.get(), 1, 0, reference);
  ASSERT_EQ(reference.code(), 0) << reference.contextText();
  ASSERT_NE(expected.text.find("caf\xc3\xa9 20,a\\b\\20,{\"p\":\"x/y20\"},60"), std::string::npos)
      << expected.text;

  int failedAttempts = 0;
  for (long budget = 0;; ++budget) {
    allocator.budget = budget;
    voerr::Status status;
    const auto description = StaticDesc(translator.get(), 1, 0, status);
    allocator.budget = -1;
    if (status.code() == 0) {
      EXPECT_EQ(description.text, expected.text);
      break;
    }
    ++failedAttempts;
    ASSERT_EQ(status.code(), voerr::kSoftwareFault) << status.contextText();
    ASSERT_EQ(IntAt(status.contextText(), {"internal_error", "code"}), 4) << status.contextText();
    ASSERT_LT(budget, 100000);
    // The state still works after each failure.
    voerr::Status after;
    ASSERT_EQ(StaticDesc(translator.get(), 1, 0, after).text, expected.text);
  }
  EXPECT_GT(failedAttempts, 50);
}

}  // namespace
