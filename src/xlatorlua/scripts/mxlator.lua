-- The translator script of votarsinapi.
--
-- getStaticDesc(code, lang, ade) gives the fixed sentence that describes a
-- status code, from the error-description files of the driver and of the
-- shared errors directory. getDynamicDesc(errjson, lang, ade, format) turns
-- the "translator_info" of an error context into a json1 report: one item per
-- entry of its "ordered_data", with usage types, attribute identifiers and
-- enumerated values replaced by their names in the requested language.
--
-- Uses the globals of the bootstrap (voxlatorlua_name, voxlatorlua_settings),
-- the native modules voxlatorluautils and cjson, and the global function
-- vomxl_unmapErrorCode that the host registers.

require("vomxl_utilities")

mxlator = {}

-- Language index + 1 -> three-letter code.
mxlator.ThreeLetterLngStrings = { "eng", "fra", "deu", "jpn", "kor", "chs" }

local kUnsupportedFormat = -52029
local kNoDescription = "Error description not found"

-- Usage types whose values are attribute identifiers.
local attributeIdUsageTypes = {
  kUsageTypeAttributeId = true,
  kUsageTypeAttributeIdentifier = true,
  kUsageTypeAffectedAttribute = true,
  kUsageTypeConflictingAttr = true,
  kUsageTypeConflictingProperty = true,
}

local function settings()
  if type(voxlatorlua_settings) == "table" then
    return voxlatorlua_settings
  end
  return {}
end

-- The code of a language index, or nil when the index names no language.
local function languageCode(lang)
  return mxlator.ThreeLetterLngStrings[lang + 1]
end

-- A module loaded by require under pcall; nil when it cannot be loaded or is
-- not a table that offers the function `entry`.
local function loadTable(name, entry)
  local ok, module = pcall(require, name)
  if ok and type(module) == "table" and type(module[entry]) == "function" then
    return module
  end
  return nil
end

---------------------------------------------------------------------------
-- Static description
---------------------------------------------------------------------------

-- A description from an error-table module ("errors_fra", then "errors_eng"),
-- with the language index whose code page it is stored in.
local function descriptionFromErrorTables(code, lngCode, lang)
  local candidates = { { "errors_" .. lngCode, lang } }
  if lngCode ~= "eng" then
    candidates[2] = { "errors_eng", 0 }
  end
  for _, candidate in ipairs(candidates) do
    local ok, loaded = pcall(require, candidate[1])
    if ok then
      -- The first table that loads is the error table, whether or not it
      -- knows the code.
      local described, text = pcall(function()
        return loaded.getString(code)
      end)
      if described and type(text) == "string" then
        return text, candidate[2]
      end
      return nil
    end
  end
  return nil
end

-- A description from one directory of error-description files, or nil.
local function descriptionFromDir(dir, code)
  local ok, text = pcall(voxlatorluautils.findErrorDescriptionFromDir, dir, code)
  if ok and type(text) == "string" then
    return text
  end
  return nil
end

-- A description from an errors directory (its language subdirectory, then the
-- directory itself), or nil.
local function descriptionFromErrorsDir(dir, code, lang)
  local ok, text = pcall(voxlatorluautils.findErrorDescriptionFromErrorsDir, dir, code, lang)
  if ok and type(text) == "string" then
    return text
  end
  return nil
end

function mxlator.getStaticDesc(code, lang, ade)
  local sep = string.sub(package.config, 1, 1)
  local lngCode = languageCode(lang) or "zzz"
  local langDir = vomxl_utilities.convertLangShortToLong(lngCode)
  local config = settings()

  -- The shared errors directory is always searched: a setting that is absent
  -- or cannot be expanded fails the call.
  local standardDir = voxlatorluautils.expandPath(voxlatorlua_name, config.voSharedErrorsDir)

  code = vomxl_unmapErrorCode(code)

  -- Each description is read in the code page of the language it was found
  -- in: a description from an English fallback is English text.
  local description, foundLang = descriptionFromErrorTables(code, lngCode, lang)

  if description == nil and config.KeErrorsDir ~= nil and config.driverName ~= nil then
    local driverDir = voxlatorluautils.expandPath(voxlatorlua_name, config.KeErrorsDir) .. sep ..
                      config.driverName .. sep
    description = descriptionFromDir(driverDir .. langDir, code)
    foundLang = lang
    if description == nil and langDir ~= "English" then
      description = descriptionFromDir(driverDir .. "English", code)
      foundLang = 0
    end
  end

  if description == nil then
    description = descriptionFromErrorsDir(standardDir, code, lang)
    foundLang = lang
    if description == nil and lang ~= 0 then
      description = descriptionFromErrorsDir(standardDir, code, 0)
      foundLang = 0
    end
  end

  if description == nil then
    description = kNoDescription
    foundLang = lang
  end

  -- A language index that names no language fails the conversion, whatever
  -- was found.
  if languageCode(lang) == nil then
    foundLang = lang
  end
  return voxlatorluautils.mbsToUtf8(foundLang, description)
end

---------------------------------------------------------------------------
-- Dynamic description
---------------------------------------------------------------------------

-- The text of a scalar value of an error context.
local function valueText(value)
  if value == cjson.null then
    return "null"
  end
  return tostring(value)
end

-- Applies `convert` to a scalar value, or to each element of an array value.
-- An empty array gives the empty text: a report value is a string or a
-- non-empty array of strings.
local function mapValue(value, convert)
  if type(value) ~= "table" then
    return convert(value)
  end
  local out = {}
  for i, element in ipairs(value) do
    out[i] = convert(element)
  end
  if #out == 0 then
    return ""
  end
  return out
end

-- The key of an attribute identifier: string.format("%08X") of the number, as
-- the interpreter writes it where a C long has 32 bits. Fractions are cut
-- toward zero; a negative identifier gives the 8 digits of its 32-bit
-- pattern. Identifiers beyond 32 bits come out as this interpreter's %X
-- writes them; beyond what a C long holds the format is undefined, so they
-- fail the call like values that are not numbers.
local function attributeKey(value)
  local id = nil
  if value ~= nil then
    id = tonumber(value)
  end
  if id == nil or id ~= id or id >= 2 ^ 63 or id <= -2 ^ 63 then
    error("attribute identifier is not a number: " .. valueText(value), 0)
  end
  if id < 0 then
    id = math.ceil(id)
    if id < 0 and id >= -2 ^ 31 then
      id = id + 2 ^ 32
    end
  end
  return string.format("%08X", id)
end

-- Builds the report of one error context; `lang` is a valid language index.
local function buildReport(context, lang, lngCode)
  local config = settings()
  local internalError = ""

  -- Attribute names: this driver's table in the language, then in English,
  -- then the empty default table.
  local attributes, attributesLang
  do
    local candidates = {}
    if config.driverName ~= nil then
      candidates[1] = { config.driverName .. "_attributes_" .. lngCode, lang }
      if lngCode ~= "eng" then
        candidates[#candidates + 1] = { config.driverName .. "_attributes_eng", 0 }
      end
    end
    candidates[#candidates + 1] = { "vomxl_defaultAttrTable", 0 }
    local tried
    for _, candidate in ipairs(candidates) do
      tried = candidate[1]
      attributes = loadTable(candidate[1], "getAttribute")
      if attributes ~= nil then
        attributesLang = candidate[2]
        break
      end
    end
    if attributes == nil then
      internalError = internalError .. "Cannot load " .. tried .. "\n"
    end
  end

  -- Terms: the table of the language, then the English one.
  local terms, termsLang = loadTable("commonTerms_" .. lngCode, "getString"), lang
  if terms == nil and lngCode ~= "eng" then
    terms, termsLang = loadTable("commonTerms_eng", "getString"), 0
  end

  -- Text from a table is stored in the table's code page and converted;
  -- text taken from the error context is UTF-8 already and kept as it is.
  -- An item without a usage text cannot be reported: the call fails.
  local function termText(word)
    if type(word) ~= "string" then
      error("usage of an item is not a string: " .. valueText(word), 0)
    end
    if terms ~= nil then
      local text = terms.getString(word)
      if text ~= nil then
        return voxlatorluautils.mbsToUtf8(termsLang, text)
      end
    end
    return word
  end

  local function attributeOf(value)
    local key = attributeKey(value)
    local entry = attributes ~= nil and attributes.getAttribute(key) or nil
    if type(entry) == "table" then
      return entry, true
    end
    return { shortName = "0x" .. key, enums = {} }, false
  end

  local function attributeName(value)
    local entry, fromTable = attributeOf(value)
    if fromTable then
      return voxlatorluautils.mbsToUtf8(attributesLang, tostring(entry.shortName))
    end
    return entry.shortName
  end

  local dynamic = {}
  local info = context.translator_info
  local ordered = type(info) == "table" and info.ordered_data or nil
  if type(ordered) == "table" then
    for _, item in ipairs(ordered) do
      if type(item) == "table" then
        local kind = item.type
        if kind == "usage" then
          local out = { type = "usage", key = termText(item.usage) }
          local valueType = item.value_type
          if type(valueType) == "table" then
            if valueType.type == "enum" then
              local entry, fromTable = attributeOf(valueType.id)
              local enums = type(entry.enums) == "table" and entry.enums or {}
              out.value = mapValue(item.value, function(v)
                local text = valueText(v)
                local name = enums[text]
                if name ~= nil and fromTable then
                  return voxlatorluautils.mbsToUtf8(attributesLang, tostring(name))
                end
                return text
              end)
            end
          elseif attributeIdUsageTypes[item.usage] then
            out.value = mapValue(item.value, attributeName)
          else
            out.value = mapValue(item.value, valueText)
          end
          dynamic[#dynamic + 1] = out
        elseif kind == "elaboration" or kind == "header" then
          dynamic[#dynamic + 1] = { type = kind, value = termText(item.usage) }
        elseif kind == "empty" then
          dynamic[#dynamic + 1] = { type = "empty" }
        end
      end
    end
  end

  local debugItems = {}
  local function debugItem(key, value)
    debugItems[#debugItems + 1] = { type = "usage", key = key, value = value }
  end
  -- Component and file are reported as the context has them.
  if context.component ~= nil then
    debugItem("Component", context.component)
  end
  if context.file ~= nil then
    debugItem("File", context.file)
  end
  if context.line ~= nil then
    debugItem("Line", valueText(context.line))
  end
  if internalError ~= "" then
    debugItem("internal_error_string", internalError)
  end
  context.translator_info = nil
  context.component = nil
  context.file = nil
  context.line = nil
  debugItem("rest_of_input_json", cjson.encode(context))

  return cjson.encode({ dynamic = dynamic, debug = debugItems })
end

function mxlator.getDynamicDesc(errjson, lang, ade, format)
  if format ~= "json1" then
    return kUnsupportedFormat
  end
  local context = cjson.decode(errjson)
  if type(context) ~= "table" then
    error("the error context is not a JSON object", 0)
  end
  local lngCode = languageCode(lang)
  if lngCode == nil then
    lngCode = "zzz"
    lang = 0
  end
  return buildReport(context, lang, lngCode)
end

return mxlator
