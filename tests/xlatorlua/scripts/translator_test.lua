-- Tests of the translator scripts on the standalone interpreter.
--
--   lua5.1 translator_test.lua SCRIPTS_DIR TERMS_DIR
--
-- SCRIPTS_DIR holds the script sources, TERMS_DIR the term tables as the
-- build generates them (text in the languages' code pages). Prints one line
-- per test and "N passed, N failed"; exits 1 when a test fails.

local here = string.match(debug.getinfo(1, "S").source, "^@(.*)/[^/]*$") or "."
local harness = dofile(here .. "/harness.lua")
local lfs = require("lfs")
local cjson = require("cjson")

local scriptsDir, termsDir = arg[1], arg[2]
assert(scriptsDir and termsDir, "usage: lua5.1 translator_test.lua SCRIPTS_DIR TERMS_DIR")
harness.configure(scriptsDir, termsDir)

local test, expect, expectEq, expectError = harness.test, harness.expect, harness.expectEq,
                                            harness.expectError

local languages = { "eng", "fra", "deu", "jpn", "kor", "chs" }
local codePages = { eng = "CP1252", fra = "CP1252", deu = "CP1252", jpn = "CP932",
                    kor = "CP949", chs = "CP936" }

---------------------------------------------------------------------------
-- Helpers

local function shell(command)
  local ok = os.execute(command)
  assert(ok == 0 or ok == true, "command failed: " .. command)
end

-- Converts UTF-8 text to a code page with iconv.
local function encode(text, codePage)
  local input = os.tmpname()
  local f = assert(io.open(input, "wb"))
  f:write(text)
  f:close()
  local pipe = assert(io.popen("iconv -f UTF-8 -t " .. codePage .. " " .. input))
  local out = pipe:read("*a")
  pipe:close()
  os.remove(input)
  return out
end

-- A fresh directory tree for error files: <root>/Errors, <root>/Keerrors.
local function newRoot()
  local root = os.tmpname()
  os.remove(root)
  assert(lfs.mkdir(root))
  voxlatorluautils.variables._voShared32Dir = root
  return root
end

local function mkdirs(path)
  shell("mkdir -p '" .. path .. "'")
end

-- Writes an error-description file holding `entries` ({code, UTF-8 text})
-- in the code page `codePage`.
local function writeErrorFile(path, entries, codePage)
  local lines = { '<?xml version="1.0" encoding="x"?>', "<vodocument>" }
  for _, entry in ipairs(entries) do
    lines[#lines + 1] = string.format('<voerror code="%d">', entry[1])
    lines[#lines + 1] = entry[2]
    lines[#lines + 1] = "</voerror>"
  end
  lines[#lines + 1] = "</vodocument>"
  local f = assert(io.open(path, "wb"))
  f:write(encode(table.concat(lines, "\n") .. "\n", codePage or "CP1252"))
  f:close()
end

local function dynamic(context, lang, format)
  return mxlator.getDynamicDesc(type(context) == "string" and context or cjson.encode(context),
                                lang or 0, 0, format or "json1")
end

local function usage(usageType, value, extra)
  local item = { type = "usage", usage = usageType, value = value }
  for k, v in pairs(extra or {}) do
    item[k] = v
  end
  return item
end

local function contextOf(items)
  return { translator = "mxlator_votarsinapi", translator_info = { ordered_data = items } }
end

-- The UTF-8 source values of a term table, read from its source file.
local function sourceTerms(code)
  local chunk = assert(loadfile(scriptsDir .. "/commonTerms_" .. code .. ".lua"))
  local saved = _G["usageTypes_" .. code]
  local terms = chunk()
  _G["usageTypes_" .. code] = saved
  local values = {}
  for k, v in pairs(terms) do
    if type(v) == "string" then
      values[k] = v
    end
  end
  return values
end

---------------------------------------------------------------------------
-- Bootstrap

test("setup without a search path leaves package.path and cpath empty", function()
  harness.newState()
  expectEq(package.path, "", "package.path")
  expectEq(package.cpath, "", "package.cpath")
  expectEq(voxlatorlua_name, "mxlator_votarsinapi", "voxlatorlua_name")
  expectEq(voxlatorlua_xlator, mxlator, "voxlatorlua_xlator")
  expectEq(voxlatorlua_settings.driverName, "votarsinapi", "settings")
  expectError(function() require("no_such_module") end, "module 'no_such_module' not found:")
end)

test("setup builds package.path from the search directories", function()
  harness.newState('{"voxlatorlua_xlator":"mxlator","voxlatorlua_path":"D:\\\\a;;d\\\\"}')
  expectEq(package.path, "D:/a/?.lua;d/?.lua", "package.path")
  expectEq(package.cpath, "", "package.cpath")
  -- No settings in the registration: the empty table stays.
  expectEq(next(voxlatorlua_settings), nil, "settings")
end)

test("setup expands path variables of the search directories", function()
  harness.newState()
  voxlatorluautils.variables._tempDir = "/tmp/x"
  voxlatorlua_setupEnv("n", '{"voxlatorlua_xlator":"mxlator","voxlatorlua_path":"$_tempDir/s;/abs/"}')
  expectEq(package.path, "/tmp/x/s/?.lua;/abs/?.lua", "package.path")
end)

test("setup fails for an unloadable translator module or a bad registration", function()
  expectError(function()
    harness.newState('{"voxlatorlua_xlator":"no_such_xlator"}')
  end, "module 'no_such_xlator' not found")
  expectError(function() harness.newState("{not json") end, "invalid registration")
  expectError(function() harness.newState('{"voxlatorlua_path":"x"}') end, "voxlatorlua_xlator")
end)

test("the message handler appends a traceback", function()
  harness.newState()
  local ok, message = harness.call(function() error("boom", 0) end)
  expect(not ok, "call failed")
  expectEq(string.sub(message, 1, 22), "boom\nstack traceback:\n", "message")
  ok, message = harness.call(function() error(7, 0) end)
  expectEq(string.sub(message, 1, 19), "7\nstack traceback:\n", "number message")
end)

test("an error value that cannot be concatenated fails the message handler", function()
  -- The interpreter hands the handler's own error to the handler again.
  harness.newState()
  for _, case in ipairs({ { {}, "table" }, { true, "boolean" }, { nil, "nil" } }) do
    local ok, message = harness.call(function() error(case[1]) end)
    expect(not ok, "call failed")
    expect(string.find(message, "voxlatorlua.lua:%d+: attempt to concatenate local 'message' %(a " ..
                       case[2] .. " value%)\nstack traceback:\n"), message)
  end
end)

test("modules are tables or globals as the host expects", function()
  harness.newState()
  expectEq(require("vomxl_utilities"), true, "vomxl_utilities yields true")
  expectEq(vomxl_utilities.convertLangShortToLong("chs"), "ChineseS", "chs")
  expectEq(vomxl_utilities.convertLangShortToLong("zzz"), "Zzzzzzz", "zzz")
  expectEq(vomxl_utilities.convertLangLongToShort("German"), "deu", "German")
  expectEq(vomxl_utilities.convertLangLongToShort("Zzzzzzz"), nil, "Zzzzzzz")
  expectEq(require("vomxl_defaultAttrTable").getAttribute("10000001"), nil, "default table")
  expectEq(require("commonTerms_fra"), usageTypes_fra, "commonTerms_fra")
  expectEq(require("votarsinapi_attributes_eng"), votarsinapi_attributes_eng, "attributes")
  expectEq(table.concat(mxlator.ThreeLetterLngStrings, ","), "eng,fra,deu,jpn,kor,chs", "codes")
  -- Term and attribute tables are not run before a report needs them.
  harness.newState()
  expectEq(package.loaded.commonTerms_eng, nil, "terms not loaded at setup")
  expectEq(package.loaded.votarsinapi_attributes_eng, nil, "attributes not loaded at setup")
end)

---------------------------------------------------------------------------
-- Static descriptions

-- All places of the French search exist; only `holder` (a directory
-- relative to the root, or nil) describes the code.
local function frenchTree(holder, text)
  local root = newRoot()
  local places = {
    "Keerrors/votarsinapi/French", "Keerrors/votarsinapi/English", "Errors/French", "Errors",
    "Errors/English",
  }
  for _, place in ipairs(places) do
    mkdirs(root .. "/" .. place)
    local entries = { { -1, "Other code." } }
    if place == holder then
      entries[2] = { -61014, text }
    end
    writeErrorFile(root .. "/" .. place .. "/votarsinapi.txt", entries)
  end
  return root
end

test("French static description: search order with every place existing", function()
  harness.newState()
  local root = frenchTree(nil)
  voxlatorluautils.searched = {}
  expectEq(mxlator.getStaticDesc(-61014, 1, 0), "Error description not found", "result")
  local sep = string.sub(package.config, 1, 1)
  local expected = {
    root .. "\\Keerrors" .. sep .. "votarsinapi" .. sep .. "French",
    root .. "\\Keerrors" .. sep .. "votarsinapi" .. sep .. "English",
    root .. "\\Errors\\French",
    root .. "\\Errors",
    root .. "\\Errors\\English",
    root .. "\\Errors",
  }
  expectEq(table.concat(voxlatorluautils.searched, "|"), table.concat(expected, "|"), "order")
end)

test("French static description: the first place that describes the code wins", function()
  local places = {
    { "Keerrors/votarsinapi/French", 1 }, { "Keerrors/votarsinapi/English", 2 },
    { "Errors/French", 3 }, { "Errors", 4 }, { "Errors/English", 5 },
  }
  for _, place in ipairs(places) do
    harness.newState()
    frenchTree(place[1], "Écrit dans " .. place[1] .. " : 5 °C.")
    voxlatorluautils.searched = {}
    expectEq(mxlator.getStaticDesc(-61014, 1, 0), "Écrit dans " .. place[1] .. " : 5 °C.",
             place[1])
    expectEq(#voxlatorluautils.searched, place[2], place[1] .. ": directories searched")
  end
end)

test("a description found in an English fallback is read as English text", function()
  harness.newState()
  local root = newRoot()
  mkdirs(root .. "/Keerrors/votarsinapi/English")
  writeErrorFile(root .. "/Keerrors/votarsinapi/English/a.txt", { { -61000, "Above 85 °C." } })
  -- 0xB0 (degree sign in 1252) starts no valid sequence of code page 932.
  expectEq(mxlator.getStaticDesc(-61000, 3, 0), "Above 85 °C.", "Japanese request")
  expectEq(mxlator.getStaticDesc(-61000, 0, 0), "Above 85 °C.", "English request")
end)

test("a description in the requested language is read in its code page", function()
  harness.newState()
  local root = newRoot()
  mkdirs(root .. "/Keerrors/votarsinapi/Japanese")
  local text = "ソフトウェアの表示が不正です。"  -- several 932 trail bytes are 0x5C
  writeErrorFile(root .. "/Keerrors/votarsinapi/Japanese/a.txt", { { -61003, text } }, "CP932")
  expectEq(mxlator.getStaticDesc(-61003, 3, 0), text, "Japanese")
end)

test("a code given as its unsigned 32-bit pattern is described", function()
  harness.newState()
  local root = newRoot()
  mkdirs(root .. "/Keerrors/votarsinapi/English")
  writeErrorFile(root .. "/Keerrors/votarsinapi/English/a.txt", { { -61000, "Found." } })
  expectEq(mxlator.getStaticDesc(4294967296 - 61000, 0, 0), "Found.", "unmapped")
end)

test("an unknown language searches Zzzzzzz and English, then fails the conversion", function()
  harness.newState()
  local root = newRoot()
  mkdirs(root .. "/Keerrors/votarsinapi/English")
  writeErrorFile(root .. "/Keerrors/votarsinapi/English/a.txt", { { -61000, "Found." } })
  voxlatorluautils.searched = {}
  expectError(function() mxlator.getStaticDesc(-61000, 9, 0) end, "invalid language")
  local sep = string.sub(package.config, 1, 1)
  expectEq(voxlatorluautils.searched[1], root .. "\\Keerrors" .. sep .. "votarsinapi" .. sep ..
           "Zzzzzzz", "first directory")
end)

test("an error table module is consulted first when one can be loaded", function()
  harness.newState()
  newRoot()
  package.preload.errors_eng = function()
    return { getString = function(code) return code == -5 and "From the table." or nil end }
  end
  voxlatorluautils.searched = {}
  expectEq(mxlator.getStaticDesc(-5, 1, 0), "From the table.", "French falls back to errors_eng")
  expectEq(#voxlatorluautils.searched, 0, "no directory searched")
  package.preload.errors_eng = nil
end)

test("an unexpandable errors directory fails the call", function()
  harness.newState('{"voxlatorlua_xlator":"mxlator","voxlatorlua_settings":' ..
                   '{"voSharedErrorsDir":"$_noSuchVariable/Errors"}}')
  expectError(function() mxlator.getStaticDesc(-1, 0, 0) end, "RegOpenKeyEx failed")
end)

test("settings without the shared errors directory fail the call", function()
  harness.newState('{"voxlatorlua_xlator":"mxlator"}')
  expectError(function() mxlator.getStaticDesc(-1, 4, 0) end, "expandPath")
  harness.newState('{"voxlatorlua_xlator":"mxlator","voxlatorlua_settings":' ..
                   '{"voSharedErrorsDir":"/nonexistent/Errors"}}')
  expectEq(mxlator.getStaticDesc(-1, 4, 0), "Error description not found", "result")
end)

---------------------------------------------------------------------------
-- Dynamic descriptions

test("a format other than json1 gives -52029", function()
  harness.newState()
  expectEq(dynamic("not even json", 0, "json"), -52029, "json")
  expectEq(dynamic("{}", 0, "JSON1"), -52029, "JSON1")
end)

test("an attribute identifier is named", function()
  harness.newState()
  local report = cjson.decode(dynamic(contextOf({ usage("kUsageTypeAttributeId", 268435457) })))
  expectEq(report.dynamic[1].type, "usage", "type")
  expectEq(report.dynamic[1].key, "Attribute Id", "key")
  expectEq(report.dynamic[1].value, "Samples Per Clock", "value")
end)

test("every attribute-ID usage type names the attribute", function()
  harness.newState()
  for _, usageType in ipairs({ "kUsageTypeAttributeId", "kUsageTypeAttributeIdentifier",
                               "kUsageTypeAffectedAttribute", "kUsageTypeConflictingAttr",
                               "kUsageTypeConflictingProperty" }) do
    local report = cjson.decode(dynamic(contextOf({ usage(usageType, { 536870917, 1342177282 }) })))
    expectEq(table.concat(report.dynamic[1].value, "|"), "FPGA Temperature|Stream Channels Enabled",
             usageType)
  end
  local report = cjson.decode(dynamic(contextOf({ usage("kUsageTypeRequestedValue", 268435457) })))
  expectEq(report.dynamic[1].value, "268435457", "other usage types keep the number")
end)

test("an unknown attribute shows as 0x and 8 hexadecimal digits", function()
  harness.newState()
  local report = cjson.decode(dynamic(contextOf({
    usage("kUsageTypeAttributeId", 268500990), usage("kUsageTypeAttributeId", 10),
    usage("kUsageTypeAttributeId", -2), usage("kUsageTypeAttributeId", "1342177283"),
  })))
  expectEq(report.dynamic[1].value, "0x1000FFFE", "unknown")
  expectEq(report.dynamic[2].value, "0x0000000A", "small")
  expectEq(report.dynamic[3].value, "0xFFFFFFFE", "negative")
  expectEq(report.dynamic[4].value, "Calibration Date/Time", "numeric text")
end)

test("attribute keys are the %08X format of the number", function()
  harness.newState()
  local report = cjson.decode(dynamic(contextOf({
    usage("kUsageTypeAttributeId", 1.5), usage("kUsageTypeAttributeId", 268435457.5),
    usage("kUsageTypeAttributeId", -1.5), usage("kUsageTypeAttributeId", -0.5),
    usage("kUsageTypeAttributeId", 4294967297), usage("kUsageTypeAttributeId", "0x10"),
  })))
  expectEq(report.dynamic[1].value, "0x00000001", "fraction cut")
  expectEq(report.dynamic[2].value, "Samples Per Clock", "fraction of a known identifier")
  expectEq(report.dynamic[3].value, "0xFFFFFFFF", "negative fraction")
  expectEq(report.dynamic[4].value, "0x00000000", "small negative fraction")
  expectEq(report.dynamic[5].value, "0x100000001", "beyond 32 bits")
  expectEq(report.dynamic[6].value, "0x00000010", "hexadecimal text")
  expectError(function()
    dynamic(contextOf({ usage("kUsageTypeAttributeId", 1e300) }))
  end, "not a number", "beyond what the format can write")
end)

test("enumerated values are named, unnamed ones keep their number", function()
  harness.newState()
  local enum = { value_type = { type = "enum", id = 268435478 } }
  local report = cjson.decode(dynamic(contextOf({
    usage("kUsageTypeRequestedValue", 2147483647, enum),
    usage("kUsageTypeRequestedValue", 5, enum),
    usage("kUsageTypeRequestedValue", { 0, 1, 7 }, { value_type = { type = "enum", id = 268435475 } }),
    usage("kUsageTypeRequestedValue", 1, { value_type = { type = "enum", id = 1 } }),
    usage("kUsageTypeRequestedValue", 1, { value_type = { type = "bitfield" } }),
  })))
  expectEq(report.dynamic[1].value, "Rising Edge", "named")
  expectEq(report.dynamic[2].value, "5", "unnamed")
  expectEq(table.concat(report.dynamic[3].value, "|"), "Internal|Front Panel|7", "array")
  expectEq(report.dynamic[4].value, "1", "unknown attribute")
  expectEq(report.dynamic[5].value, nil, "other value types give no value")
  expectEq(report.dynamic[5].key, "Requested Value", "key kept")
end)

test("values without a value and malformed attribute identifiers", function()
  harness.newState()
  local report = cjson.decode(dynamic(contextOf({ { type = "usage", usage = "kUsageTypeDevice" } })))
  expectEq(report.dynamic[1].value, "nil", "missing value")
  expectError(function()
    dynamic(contextOf({ { type = "usage", usage = "kUsageTypeAttributeId" } }))
  end, nil, "attribute identifier without value")
  expectError(function()
    dynamic(contextOf({ usage("kUsageTypeAttributeId", "abc") }))
  end, "not a number", "attribute identifier that is no number")
  for _, item in ipairs({ { type = "usage", value = "AI0" }, { type = "usage", usage = true },
                          { type = "usage", usage = 5 }, { type = "elaboration" },
                          { type = "header", usage = {} } }) do
    expectError(function() dynamic(contextOf({ item })) end, "usage", "usage " .. tostring(item.usage))
  end
  expectError(function() dynamic("{broken") end, nil, "invalid JSON")
  expectError(function() dynamic("5") end, "not a JSON object", "number context")
end)

test("scalar values are written as text, arrays element by element", function()
  harness.newState()
  local report = cjson.decode(dynamic(
    '{"translator_info":{"ordered_data":[' ..
    '{"type":"usage","usage":"kUsageTypeRequestedValue","value":50.5},' ..
    '{"type":"usage","usage":"kUsageTypeRequestedValue","value":true},' ..
    '{"type":"usage","usage":"kUsageTypeRequestedValue","value":null},' ..
    '{"type":"usage","usage":"kUsageTypeChannelList","value":["AI0","AI1",2]},' ..
    '{"type":"usage","usage":"kUsageTypeChannelList","value":[]}]}}'))
  expectEq(report.dynamic[1].value, "50.5", "number")
  expectEq(report.dynamic[2].value, "true", "boolean")
  expectEq(report.dynamic[3].value, "null", "null")
  expectEq(table.concat(report.dynamic[4].value, "|"), "AI0|AI1|2", "array")
  expectEq(report.dynamic[5].value, "", "empty array")
end)

test("elaboration, header and empty items; other types are skipped", function()
  harness.newState()
  local report = cjson.decode(dynamic(contextOf({
    { type = "elaboration", usage = "The attribute is read-only." },
    { type = "header", usage = "kAuxTermExplanationHeader" },
    { type = "empty" },
    { type = "bogus", usage = "kUsageTypeDevice" },
    { type = "usage", usage = "Free text key", value = "v" },
  })))
  expectEq(#report.dynamic, 4, "items")
  expectEq(report.dynamic[1].type, "elaboration", "elaboration type")
  expectEq(report.dynamic[1].value, "The attribute is read-only.", "free text kept")
  expectEq(report.dynamic[2].value, "Explanation: ", "header term")
  expectEq(report.dynamic[3].type, "empty", "empty")
  expectEq(report.dynamic[3].value, nil, "empty has no value")
  expectEq(report.dynamic[4].key, "Free text key", "free text key")
end)

test("text from the error context is UTF-8 already and is not converted", function()
  harness.newState()
  for lang = 0, 5 do
    local report = cjson.decode(dynamic(contextOf({
      { type = "elaboration", usage = "Température > 85 °C — 温度" },
      usage("Kanal ä", "Wert ö"),
    }), lang))
    expectEq(report.dynamic[1].value, "Température > 85 °C — 温度", "elaboration " .. lang)
    expectEq(report.dynamic[2].key, "Kanal ä", "key " .. lang)
    expectEq(report.dynamic[2].value, "Wert ö", "value " .. lang)
  end
end)

test("term texts come from the language's table, in UTF-8", function()
  local expected = {
    { "kUsageTypeChannelName", "Channel Name", "Nom de la voie", "Kanalname", "チャンネル名",
      "채널 이름", "通道名称" },
    { "kUsageTypeDevice", "Device", "Périphérique", "Gerät", "デバイス", "장치", "设备" },
    { "kUsageTypeAttributeId", "Attribute Id", "ID d'attribut", "Attribut-ID", "属性ID", "특성 ID",
      "属性ID" },
  }
  harness.newState()
  for lang = 0, 5 do
    for _, row in ipairs(expected) do
      local report = cjson.decode(dynamic(contextOf({ usage(row[1], 1) }), lang))
      expectEq(report.dynamic[1].key, row[lang + 2], row[1] .. " in " .. languages[lang + 1])
    end
  end
end)

test("an unknown language is reported in English", function()
  harness.newState()
  local report = cjson.decode(dynamic(contextOf({ usage("kUsageTypeChannelName", "AI0") }), 9))
  expectEq(report.dynamic[1].key, "Channel Name", "key")
end)

test("a missing term table falls back to English, read as English text", function()
  harness.newState(nil, { "commonTerms_kor" })
  local report = cjson.decode(dynamic(contextOf({ usage("kAuxTermUnitDegreesCelsius", "x") }), 4))
  expectEq(report.dynamic[1].key, "°C", "English degree sign")
  local report2 = cjson.decode(dynamic(contextOf({ usage("kUsageTypeDevice", "x") }), 4))
  expectEq(report2.dynamic[1].key, "Device", "English term")
end)

test("without any attribute table identifiers are numbers and the debug part says so", function()
  harness.newState(nil, { "votarsinapi_attributes_eng", "vomxl_defaultAttrTable" })
  local report = cjson.decode(dynamic(contextOf({ usage("kUsageTypeAttributeId", 268435457) }), 1))
  expectEq(report.dynamic[1].value, "0x10000001", "value")
  local found
  for _, item in ipairs(report.debug) do
    if item.key == "internal_error_string" then
      found = item.value
    end
  end
  expectEq(found, "Cannot load vomxl_defaultAttrTable\n", "internal_error_string")
end)

test("the debug part: component, file, line and the rest of the context", function()
  harness.newState()
  local text = dynamic('{"error_constant":"vodeverr_readOnlyAttribute","component":"VoFpga",' ..
                       '"file":"src/a/b.cpp","line":42,"translator":"mxlator_votarsinapi",' ..
                       '"translator_info":{"ordered_data":[]}}')
  local report = cjson.decode(text)
  expectEq(#report.debug, 4, "debug items")
  expectEq(report.debug[1].key, "Component", "1")
  expectEq(report.debug[1].value, "VoFpga", "component")
  expectEq(report.debug[2].key, "File", "2")
  expectEq(report.debug[2].value, "src/a/b.cpp", "file")
  expectEq(report.debug[3].key, "Line", "3")
  expectEq(report.debug[3].value, "42", "line")
  expectEq(report.debug[4].key, "rest_of_input_json", "4")
  for _, item in ipairs(report.debug) do
    expectEq(item.type, "usage", "debug type")
  end
  local rest = cjson.decode(report.debug[4].value)
  expectEq(rest.error_constant, "vodeverr_readOnlyAttribute", "rest keeps error_constant")
  expectEq(rest.translator, "mxlator_votarsinapi", "rest keeps translator")
  expectEq(rest.component, nil, "component removed")
  expectEq(rest.translator_info, nil, "translator_info removed")
  expect(string.find(text, "src/a/b.cpp", 1, true), "slashes are not escaped")
  -- An empty "dynamic" is written as an empty object.
  expect(string.find(text, '"dynamic":{}', 1, true), "empty dynamic: " .. text)
end)

test("the debug part carries component and file as the context has them", function()
  harness.newState()
  local report = cjson.decode(dynamic('{"component":7,"file":["a","b"],"line":3}'))
  expectEq(report.debug[1].value, 7, "component")
  expectEq(type(report.debug[2].value), "table", "file")
  expectEq(report.debug[2].value[2], "b", "file element")
  expectEq(report.debug[3].value, "3", "line is text")
end)

test("a context without translator_info", function()
  harness.newState()
  local text = dynamic('{"code":-1}')
  expect(string.find(text, '"dynamic":{}', 1, true), "empty dynamic")
  local report = cjson.decode(text)
  expectEq(#report.debug, 1, "one debug item")
  expectEq(report.debug[1].key, "rest_of_input_json", "rest")
  expectEq(report.debug[1].value, '{"code":-1}', "rest text")
end)

test("the device model's context in every language", function()
  local context = '{"error_constant":"vodeverr_invalidValue","component":"votarsinsimulation",' ..
    '"translator":"mxlator_votarsinapi","translator_info":{"ordered_data":[' ..
    '{"type":"elaboration","usage":"The value is not valid for the attribute."},' ..
    '{"type":"usage","usage":"kUsageTypeAttributeId","value":268435465},' ..
    '{"type":"usage","usage":"kUsageTypeChannelName","value":"3"},' ..
    '{"type":"usage","usage":"kUsageTypeRequestedValue","value":4,' ..
    '"value_type":{"type":"enum","id":268435465}},' ..
    '{"type":"usage","usage":"kUsageTypeDevice","value":"SIM0"}]}}'
  harness.newState()
  for lang = 0, 5 do
    local source = sourceTerms(languages[lang + 1])
    local report = cjson.decode(dynamic(context, lang))
    expectEq(#report.dynamic, 5, "items")
    expectEq(report.dynamic[1].value, "The value is not valid for the attribute.", "elaboration")
    expectEq(report.dynamic[2].key, source.kUsageTypeAttributeId, "attribute key")
    expectEq(report.dynamic[2].value, "Start Trigger Type", "attribute")
    expectEq(report.dynamic[3].key, source.kUsageTypeChannelName, "channel key")
    expectEq(report.dynamic[3].value, "3", "channel")
    expectEq(report.dynamic[4].key, source.kUsageTypeRequestedValue, "value key")
    expectEq(report.dynamic[4].value, "Analog", "value")
    expectEq(report.dynamic[5].key, source.kUsageTypeDevice, "device key")
    expectEq(report.dynamic[5].value, "SIM0", "device")
  end
end)

---------------------------------------------------------------------------
-- Term tables

test("the six term tables have the same keys", function()
  harness.newState()
  local reference
  for _, code in ipairs(languages) do
    local terms = require("commonTerms_" .. code)
    local keys = {}
    for k, v in pairs(terms) do
      if type(v) == "string" then
        expect(string.match(k, "^kUsageType%u") or string.match(k, "^kAuxTerm%u"), "key " .. k)
        keys[#keys + 1] = k
      end
    end
    table.sort(keys)
    local joined = table.concat(keys, ",")
    if reference == nil then
      reference = joined
      expect(#keys > 100, "English table has " .. #keys .. " terms")
    else
      expectEq(joined, reference, code .. " keys")
    end
  end
end)

test("generated tables hold the source text in the language's code page", function()
  harness.newState()
  for lang, code in ipairs(languages) do
    local source = sourceTerms(code)
    local terms = require("commonTerms_" .. code)
    local keys = {}
    for key in pairs(source) do
      keys[#keys + 1] = key
    end
    table.sort(keys)
    expect(#keys > 100, code .. " terms")
    -- One conversion per language: the values joined by line feeds.
    local sourceText, storedText = {}, {}
    for i, key in ipairs(keys) do
      sourceText[i] = source[key]
      storedText[i] = terms.getString(key)
      expect(storedText[i] ~= nil, code .. " " .. key)
    end
    sourceText = table.concat(sourceText, "\n")
    storedText = table.concat(storedText, "\n")
    expectEq(storedText, encode(sourceText, codePages[code]), code .. " stored")
    expectEq(voxlatorluautils.mbsToUtf8(lang - 1, storedText), sourceText, code .. " read back")
    expectEq(terms.getString("getString"), nil, code .. " functions are not terms")
    expectEq(terms.getString("kUsageTypeNoSuchTerm"), nil, code .. " unknown key")
  end
end)

test("the examples of the English table", function()
  harness.newState()
  local t = require("commonTerms_eng")
  expectEq(t.getString("kUsageTypeChannelName"), "Channel Name", "ChannelName")
  expectEq(t.getString("kUsageTypeDevice"), "Device", "Device")
  expectEq(t.getString("kUsageTypeAttributeIdentifier"), "Property", "AttributeIdentifier")
  expectEq(t.getString("kUsageTypeAttributeId"), "Attribute Id", "AttributeId")
  expectEq(t.getString("kAuxTermItemSeparator"), ", ", "ItemSeparator")
  expectEq(t.getString("kAuxTermExplanationHeader"), "Explanation: ", "ExplanationHeader")
  expectEq(t.getString("kUsageTypeHiddenDebugData"), "", "HiddenDebugData")
  expectEq(t.getString("kUsageTypeFlagDigitsOfPrecision"), "", "FlagDigitsOfPrecision")
end)

test("the attribute table", function()
  harness.newState()
  local t = require("votarsinapi_attributes_eng")
  local count = 0
  local keys = {}
  -- Every key an identifier lookup can build is 8 uppercase hex digits.
  for id = 0, 0x19 do
    for class = 1, 5 do
      local key = string.format("%08X", class * 0x10000000 + id)
      local entry = t.getAttribute(key)
      if entry ~= nil then
        count = count + 1
        expect(type(entry.shortName) == "string" and entry.shortName ~= "", key)
        expect(type(entry.enums) == "table", key .. " enums")
        keys[#keys + 1] = key
      end
    end
  end
  expectEq(count, 60, "attributes")
  expectEq(t.getAttribute("000000-2").shortName, "Active Channel", "pseudo entry")
  expectEq(t.getAttribute("1000000b"), nil, "lower case is not a key")
  expectEq(t.getAttribute("1000000B").enums["3"], "External", "enum")
  expectEq(t.getAttribute("10000011").enums["0"], "AC", "enum")
end)

test("attribute entries are made once and shared", function()
  harness.newState()
  local t = require("votarsinapi_attributes_eng")
  local entry = t.getAttribute("10000013")
  expectEq(t.getAttribute("10000013"), entry, "same entry")
  expect(t.getAttribute("10000012") ~= entry, "entries differ")
  expect(t.getAttribute("10000012").enums ~= t.getAttribute("10000014").enums, "enums differ")
  entry.enums["2"] = "Rear Panel"
  expectEq(t.getAttribute("10000013").enums["2"], "Rear Panel", "change kept")
  local printed = {}
  local realPrint = print
  print = function(line)
    printed[#printed + 1] = line
  end
  local ok, message = pcall(t.printattr, "10000013")
  print = realPrint
  expect(ok, tostring(message))
  expectEq(table.concat(printed, "\n"),
           "10000013: Sample Clock Source\n  0 = Internal\n  1 = Front Panel\n  2 = Rear Panel",
           "printattr")
  local odd = { 268435457, 10000001, 0x10000001, false, t, "10000001 ", "10000011|AI Coupling" }
  for _, key in ipairs(odd) do
    expectEq(t.getAttribute(key), nil, tostring(key))
  end
  expectEq(t.getAttribute(nil), nil, "nil")
end)

os.exit(harness.run() and 0 or 1)
