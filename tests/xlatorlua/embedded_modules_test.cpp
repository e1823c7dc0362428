// The library's own embedded modules: all of them compile in the linked
// interpreter, in the installation order, and this library's registration
// creates a working host with them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "status/codes.h"
#include "sysq/sysq_test_support.h"
#include "xlator/registry.h"
#include "xlatorlua/prepared_chunk.h"
#include "xlatorlua_test_support.h"

namespace {

using sysqtest::IntAt;
using sysqtest::StringAt;
using xlatorluatest::Eval;
using xlatorluatest::TranslatorPtr;

std::string ModuleName(const char* fileName) {
  const char* dot = std::strrchr(fileName, '.');
  return std::string(fileName,
                     dot != nullptr ? static_cast<size_t>(dot - fileName) : std::strlen(fileName));
}

TEST(EmbeddedModulesTest, AllModulesInInstallationOrder) {
  std::vector<std::string> names;
  for (const voxlatorlua::EmbeddedModule& module : voxlatorlua::embeddedModules()) {
    names.push_back(ModuleName(module.fileName));
    const char* suffix = std::strrchr(module.fileName, '.');
    ASSERT_NE(suffix, nullptr);
    EXPECT_TRUE(std::strcmp(suffix, ".luac") == 0 || std::strcmp(suffix, ".lua") == 0);
    // Precompiled chunks are stored prepared.
    const bool prepared = module.size >= VOXLATORLUA_PREPARED_SIGNATURE_SIZE &&
                          std::memcmp(module.data, VOXLATORLUA_PREPARED_SIGNATURE,
                                      VOXLATORLUA_PREPARED_SIGNATURE_SIZE) == 0;
    EXPECT_EQ(std::strcmp(suffix, ".luac") == 0, prepared) << module.fileName;
    lua_State* L = luaL_newstate();
    EXPECT_EQ(prepared ? voxlatorlua_loadPreparedChunk(L, module.data, module.size, module.fileName)
                       : luaL_loadbuffer(L, module.data, module.size, module.fileName),
              0)
        << module.fileName << ": " << lua_tostring(L, -1);
    lua_close(L);
  }
  const std::vector<std::string> expected = {"json",
                                             "util",
                                             "commonTerms_eng",
                                             "commonTerms_jpn",
                                             "commonTerms_kor",
                                             "commonTerms_chs",
                                             "commonTerms_fra",
                                             "commonTerms_deu",
                                             "vomxl_defaultAttrTable",
                                             "mxlator",
                                             "vomxl_utilities",
                                             "votarsinapi_attributes_eng",
                                             "voxlatorlua"};
  EXPECT_EQ(names, expected);
}

class LibraryRegistrationTest : public ::testing::Test {
 protected:
  TranslatorPtr Create(const char* registration, voerr::Status& status) {
    return TranslatorPtr(
        voxlatorlua::newScriptTranslator(voxlator::kScriptXlatorName, registration, status));
  }
};

TEST_F(LibraryRegistrationTest, ThisLibrarysRegistrationCreatesAHost) {
  voerr::Status status;
  TranslatorPtr translator = Create(voxlator::kScriptXlatorRegistration, status);
  ASSERT_NE(translator, nullptr) << status.contextText();
  lua_State* L = voxlatorlua::scriptState(translator.get());
  EXPECT_EQ(Eval(L, "return voxlatorlua_name"), "mxlator_votarsinapi");
  EXPECT_EQ(Eval(L, "return voxlatorlua_xlator == mxlator"), "true");
  EXPECT_EQ(Eval(L, "return voxlatorlua_settings.driverName"), "votarsinapi");
  EXPECT_EQ(Eval(L, "return package.path .. '|' .. package.cpath"), "|");
  EXPECT_EQ(Eval(L, "return vomxl_unmapErrorCode(4294914767)"), "-52529");
  // The term tables are compiled but not run until a report needs them.
  EXPECT_EQ(Eval(L, "return tostring(package.loaded.commonTerms_jpn)"), "nil");
  EXPECT_EQ(Eval(L, "return type(package.preload.commonTerms_jpn)"), "function");
}

// What require gives for every embedded module: its type and, for a table,
// its sorted keys; then which globals it defined.
std::string RequireAll(lua_State* L) {
  return Eval(
      L,
      "local out = {} "
      "local before = {} for k in pairs(_G) do before[k] = true end "
      "for _, m in ipairs({'json', 'util', 'commonTerms_eng', 'commonTerms_jpn',"
      "  'commonTerms_kor', 'commonTerms_chs', 'commonTerms_fra', 'commonTerms_deu',"
      "  'vomxl_defaultAttrTable', 'mxlator', 'vomxl_utilities',"
      "  'votarsinapi_attributes_eng', 'voxlatorlua'}) do "
      "  local v = require(m) local keys = {} "
      "  if type(v) == 'table' then for k in pairs(v) do keys[#keys + 1] = tostring(k) end end "
      "  table.sort(keys) "
      "  out[#out + 1] = m .. '=' .. type(v) .. '(' .. table.concat(keys, ',') .. ')' "
      "end "
      "local added = {} for k in pairs(_G) do if not before[k] then added[#added + 1] = k end end "
      "table.sort(added) "
      "return table.concat(out, ' ') .. ' globals:' .. table.concat(added, ',') .. ' ' .. "
      "  usageTypes_eng.getString('kUsageTypeDevice') .. "
      "  votarsinapi_attributes_eng.getAttribute('10000001').shortName");
}

// Modules loaded on their first require give what modules compiled when the
// state was created give.
TEST_F(LibraryRegistrationTest, ModulesLoadedOnFirstRequireMatchModulesCompiledAtCreation) {
  const voxlatorlua::ModuleSet embedded = voxlatorlua::embeddedModules();
  ASSERT_TRUE(embedded.checkedAtBuild);
  const std::vector<voxlatorlua::EmbeddedModule> copy(embedded.begin(), embedded.end());
  voxlatorlua::HostConfig eager;
  eager.modules = {copy.data(), copy.size()};
  ASSERT_FALSE(eager.modules.checkedAtBuild);

  voerr::Status lazyStatus, eagerStatus;
  TranslatorPtr lazy = Create(voxlator::kScriptXlatorRegistration, lazyStatus);
  TranslatorPtr compiled(voxlatorlua::newScriptTranslator(
      voxlator::kScriptXlatorName, voxlator::kScriptXlatorRegistration, eagerStatus, eager));
  ASSERT_NE(lazy, nullptr) << lazyStatus.contextText();
  ASSERT_NE(compiled, nullptr) << eagerStatus.contextText();
  lua_State* lazyState = voxlatorlua::scriptState(lazy.get());
  lua_State* compiledState = voxlatorlua::scriptState(compiled.get());
  // Before any require: the same preloaded names, each a function.
  const char* preloaded =
      "local names = {} for k, v in pairs(package.preload) do"
      " names[#names + 1] = k .. ':' .. type(v) end table.sort(names)"
      " return table.concat(names, ' ')";
  EXPECT_EQ(Eval(lazyState, preloaded), Eval(compiledState, preloaded));
  const std::string required = RequireAll(lazyState);
  EXPECT_EQ(required, RequireAll(compiledState));
  EXPECT_NE(required.find("commonTerms_eng=table("), std::string::npos) << required;
  EXPECT_NE(required.find("globals:"), std::string::npos) << required;
  EXPECT_NE(required.find("usageTypes_kor"), std::string::npos) << required;
  EXPECT_NE(required.find("DeviceSamples Per Clock"), std::string::npos) << required;
  // A module runs once; its chunk name still names the script.
  EXPECT_EQ(Eval(lazyState, "return require('mxlator') == mxlator"), "true");
  EXPECT_EQ(Eval(lazyState, "return debug.getinfo(mxlator.getStaticDesc, 'S').source"),
            "@mxlator.lua");
  // Loaded without the interpreter's instruction checks, chunks keep every
  // line and local name: a failing call looks the same from the inside.
  const char* failure =
      "local out = {}"
      "local function handler(message)"
      "  out[#out + 1] = message"
      "  for level = 2, 6 do"
      "    local info = debug.getinfo(level, 'Sln')"
      "    if not info then break end"
      "    out[#out + 1] = info.short_src .. ':' .. info.currentline .. ' ' .. tostring(info.name)"
      "    for i = 1, 100 do"
      "      local name = debug.getlocal(level, i)"
      "      if not name then break end"
      "      out[#out + 1] = name"
      "    end"
      "  end"
      "  out[#out + 1] = debug.traceback()"
      "end "
      "xpcall(function() return mxlator.getStaticDesc(1, 9, 0) end, handler) "
      "xpcall(function() return mxlator.getDynamicDesc('{', 0, 0, 'json1') end, handler) "
      "return table.concat(out, '\\n')";
  const std::string inside = Eval(lazyState, failure);
  EXPECT_EQ(inside, Eval(compiledState, failure));
  EXPECT_NE(inside.find(": in function <mxlator.lua:"), std::string::npos) << inside;
  EXPECT_NE(inside.find("\nstandardDir\n"), std::string::npos) << inside;
}

TEST_F(LibraryRegistrationTest, PackagePathIsBuiltFromTheRegistration) {
  voerr::Status status;
  TranslatorPtr translator =
      Create(R"({"voxlatorlua_xlator":"mxlator","voxlatorlua_path":"D:\\a;;d\\"})", status);
  ASSERT_NE(translator, nullptr) << status.contextText();
  lua_State* L = voxlatorlua::scriptState(translator.get());
  EXPECT_EQ(Eval(L, "return package.path"), "D:/a/?.lua;d/?.lua");
  EXPECT_EQ(Eval(L, "return package.cpath"), "");
}

TEST_F(LibraryRegistrationTest, PackagePathEntriesAreExpanded) {
  sysqtest::TempDir dir;
  sysqtest::ScopedEnv tmp(votest::kTempDirVariable, (dir.path() + "/").c_str());
  voerr::Status status;
  TranslatorPtr translator =
      Create(R"({"voxlatorlua_xlator":"mxlator","voxlatorlua_path":"$_tempDir/mods;x/"})", status);
  ASSERT_NE(translator, nullptr) << status.contextText();
  EXPECT_EQ(Eval(voxlatorlua::scriptState(translator.get()), "return package.path"),
            dir.path() + "/mods/?.lua;x/?.lua");
}

TEST_F(LibraryRegistrationTest, SetupFailureOfTheBootstrap) {
  const char* registration = R"({"voxlatorlua_xlator":"no_such_translator"})";
  voerr::Status status;
  EXPECT_EQ(Create(registration, status), nullptr);
  EXPECT_EQ(status.code(), voerr::kSoftwareFault);
  const char* ctx = status.contextText();
  EXPECT_EQ(StringAt(ctx, {"voxlatorlua_debug", "debug"}), "lua setupEnv failed") << ctx;
  EXPECT_EQ(StringAt(ctx, {"voxlatorlua_debug", "name"}), voxlator::kScriptXlatorName);
  EXPECT_EQ(StringAt(ctx, {"voxlatorlua_debug", "registrationInfo"}), registration);
  EXPECT_NE(StringAt(ctx, {"internal_error", "string"})
                .value_or("")
                .find("module 'no_such_translator' not found"),
            std::string::npos)
      << ctx;
}

TEST_F(LibraryRegistrationTest, PublishedModules) {
  voerr::Status status;
  TranslatorPtr translator = Create(voxlator::kScriptXlatorRegistration, status);
  ASSERT_NE(translator, nullptr) << status.contextText();
  lua_State* L = voxlatorlua::scriptState(translator.get());
  EXPECT_EQ(Eval(L, "return require('json').decode('{\"a\":[1,2,3]}').a[3]"), "3");
  EXPECT_EQ(Eval(L, "return require('json').encode({1, 'x/y'})"), "[1,\"x/y\"]");
  EXPECT_EQ(Eval(L, "return require('json').null ~= nil"), "true");
  EXPECT_EQ(Eval(L, "return type(require('util').serialise_value)"), "function");
  // Chunk names are the file names, so messages and tracebacks name them.
  const std::string source = Eval(L, "return debug.getinfo(require('json').decode, 'S').source");
  EXPECT_TRUE(source == "@json.lua" || source == "json.lua") << source;
}

}  // namespace
