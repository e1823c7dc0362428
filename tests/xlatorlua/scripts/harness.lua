-- Runs the translator scripts on the standalone interpreter the way the
-- library's script host does: the embedded modules go into package.preload,
-- the bootstrap is required and voxlatorlua_setupEnv is called with a
-- registration. The native modules are the test doubles of stubs/; cjson is
-- lua-cjson with its slash escaping undone, as the host opens it.
--
--   local harness = dofile(".../harness.lua")
--   harness.configure(scriptsDir, termsDir)
--   harness.newState(registrationJson)   -- a fresh translator
--   harness.run()                        -- runs the registered tests

local harness = {}

local here = string.match(debug.getinfo(1, "S").source, "^@(.*)/[^/]*$") or "."

-- Modules in the order the host installs them.
harness.modules = {
  "commonTerms_eng", "commonTerms_jpn", "commonTerms_kor", "commonTerms_chs",
  "commonTerms_fra", "commonTerms_deu", "vomxl_defaultAttrTable", "mxlator",
  "vomxl_utilities", "votarsinapi_attributes_eng", "voxlatorlua",
}

harness.registration =
  '{"voxlatorlua_xlator":"mxlator","voxlatorlua_settings":{"driverName":"votarsinapi",' ..
  '"voSharedErrorsDir":"$_voShared32Dir/Errors","KeErrorsDir":"$_voShared32Dir/Keerrors"}}'

local scriptsDir, termsDir

function harness.configure(scripts, terms)
  scriptsDir, termsDir = scripts, terms
end

function harness.modulePath(name)
  if string.match(name, "^commonTerms_") then
    return termsDir .. "/" .. name .. ".lua"
  end
  return scriptsDir .. "/" .. name .. ".lua"
end

local scriptGlobals = {
  "json", "mxlator", "vomxl_utilities", "vomxl_defaultAttrTable", "votarsinapi_attributes_eng",
  "usageTypes_eng", "usageTypes_fra", "usageTypes_deu", "usageTypes_jpn", "usageTypes_kor",
  "usageTypes_chs", "voxlatorlua_name", "voxlatorlua_xlator", "voxlatorlua_settings",
  "voxlatorlua_errHandler", "voxlatorlua_setupEnv",
}

local cjson = require("cjson")
local rawEncode = cjson.encode
cjson.encode = function(value)
  return (string.gsub(rawEncode(value), "\\/", "/"))
end
_G.cjson = cjson

-- The host's vomxl_unmapErrorCode: the low 32 bits as a signed code.
function vomxl_unmapErrorCode(code)
  local low = code % 4294967296
  if low >= 2147483648 then
    low = low - 4294967296
  end
  return low
end

-- A fresh translator: modules unloaded, globals cleared, preload filled,
-- bootstrap and setup run. `skip` lists modules to leave out of the preload
-- table. Returns nothing; raises what setup raises.
function harness.newState(registration, skip)
  for _, name in ipairs(scriptGlobals) do
    _G[name] = nil
  end
  for _, name in ipairs(harness.modules) do
    package.loaded[name] = nil
    package.preload[name] = nil
  end
  for _, name in ipairs({ "json", "stdint", "voxlatorluautils", "errors_eng", "errors_fra" }) do
    package.loaded[name] = nil
  end
  package.path = ""
  package.cpath = ""
  package.preload.json = assert(loadfile("/usr/share/lua/5.1/dkjson.lua"))
  package.loaded.stdint = dofile(here .. "/stubs/stdint.lua")
  package.loaded.voxlatorluautils = dofile(here .. "/stubs/voxlatorluautils.lua")
  local skipped = {}
  for _, name in ipairs(skip or {}) do
    skipped[name] = true
  end
  for _, name in ipairs(harness.modules) do
    if not skipped[name] then
      package.preload[name] = assert(loadfile(harness.modulePath(name)))
    end
  end
  require("voxlatorlua")
  voxlatorlua_setupEnv("mxlator_votarsinapi", registration or harness.registration)
end

-- Calls fn(...) as the host does: with voxlatorlua_errHandler as message
-- handler. Returns ok and the result or the handled message.
function harness.call(fn, ...)
  local args = { n = select("#", ...), ... }
  return xpcall(function()
    return fn(unpack(args, 1, args.n))
  end, voxlatorlua_errHandler)
end

---------------------------------------------------------------------------
-- A small test runner

local tests = {}

function harness.test(name, fn)
  tests[#tests + 1] = { name = name, fn = fn }
end

function harness.expectEq(actual, expected, what)
  if actual ~= expected then
    error(string.format("%s: expected %q, got %q", what or "value", tostring(expected),
                        tostring(actual)), 2)
  end
end

function harness.expect(condition, what)
  if not condition then
    error(what or "expectation failed", 2)
  end
end

function harness.expectError(fn, pattern, what)
  local ok, message = pcall(fn)
  if ok then
    error((what or "call") .. ": expected an error", 2)
  end
  if pattern and not string.find(tostring(message), pattern) then
    error(string.format("%s: error %q does not match %q", what or "call", tostring(message),
                        pattern), 2)
  end
end

function harness.run()
  local passed, failed = 0, 0
  for _, t in ipairs(tests) do
    local ok, message = xpcall(t.fn, debug.traceback)
    if ok then
      passed = passed + 1
      print("[ OK ] " .. t.name)
    else
      failed = failed + 1
      print("[FAIL] " .. t.name .. "\n" .. tostring(message))
    end
  end
  print(string.format("%d passed, %d failed", passed, failed))
  return failed == 0
end

return harness
