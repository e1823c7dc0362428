-- Test double of the native module voxlatorluautils, for running the
-- translator scripts on the standalone interpreter (lua5.1) without the
-- library's script host. Code pages are decoded with the iconv program;
-- error-description files are read with LuaFileSystem. Every directory that
-- a search function is asked about is appended to voxlatorluautils.searched.
--
-- Errors are raised as JSON texts like those of the native module, with the
-- status code under "code".

local lfs = require("lfs")

voxlatorluautils = { searched = {}, variables = {} }

local codePages = { [0] = "CP1252", "CP1252", "CP1252", "CP932", "CP949", "CP936" }
local directories = { [0] = "English", "French", "German", "Japanese", "Korean", "ChineseS" }

local function fail(code, what)
  error(string.format('{"code":%d,"voxlator_debug":{"debug":%q}}', code, what), 0)
end

local function checkLanguage(lang)
  if type(lang) ~= "number" or codePages[lang] == nil then
    fail(-52005, "invalid language")
  end
end

local tmp = os.tmpname()

function voxlatorluautils.mbsToUtf8(lang, text)
  checkLanguage(lang)
  assert(type(text) == "string", "bad argument #2 to 'mbsToUtf8' (string expected, got " .. type(text) .. ")")
  if not string.find(text, "[\128-\255]") then
    return text
  end
  local f = assert(io.open(tmp, "wb"))
  f:write(text)
  f:close()
  local pipe = assert(io.popen("iconv -f " .. codePages[lang] .. " -t UTF-8 " .. tmp .. " 2>/dev/null && echo :ok"))
  local out = pipe:read("*a")
  pipe:close()
  if string.sub(out, -4) ~= ":ok\n" then
    fail(-52027, "invalid byte sequence")
  end
  return string.sub(out, 1, -5)
end

function voxlatorluautils.lookupVariable(name, variable)
  local value = voxlatorluautils.variables[variable]
  if value == nil then
    fail(-52006, "RegOpenKeyEx failed")
  end
  return value
end

function voxlatorluautils.expandPath(name, path)
  assert(type(path) == "string", "bad argument #2 to 'expandPath' (string expected, got " .. type(path) .. ")")
  local text = string.gsub(path, "/", "\\")
  while true do
    local dollar = string.find(text, "$", 1, true)
    if dollar == nil then
      return text
    end
    local slash = string.find(text, "\\", dollar, true)
    if slash == nil then
      fail(-52005, "plugin dll path invalid")
    end
    local variable = string.sub(text, dollar + 1, slash - 1)
    text = string.sub(text, 1, dollar - 1) .. voxlatorluautils.lookupVariable(name, variable) ..
           string.sub(text, slash)
  end
end

function voxlatorluautils.convertLangToDir(lang)
  checkLanguage(lang)
  return directories[lang]
end

local function startsWith(line, prefix)
  return string.lower(string.sub(line, 1, #prefix)) == prefix
end

local function searchFile(path, code)
  local f = io.open(path, "rb")
  if f == nil then
    fail(-52006, "Could not open status explanations file")
  end
  local text = f:read("*a")
  f:close()
  local lines = {}
  for line in string.gmatch(text, "([^\n]*\n?)") do
    if line ~= "" then
      lines[#lines + 1] = line
    end
  end
  if not lines[1] or not startsWith(lines[1], '<?xml version="1.0"') then return nil end
  if not lines[2] or not startsWith(lines[2], "<vodocument>") then return nil end
  local i = 3
  while i <= #lines do
    local line = lines[i]
    if startsWith(line, "</vodocument>") then
      return nil
    elseif startsWith(line, '<voerror code="') then
      local number = string.match(line, '^<[vV][oO][eE][rR][rR][oO][rR] [cC][oO][dD][eE]="([-+]?%w+)')
      local value = tonumber(number)
      if value == nil then fail(-52006, "Could not successfully read the status data!") end
      local description = {}
      i = i + 1
      while true do
        if lines[i] == nil then fail(-52006, "Bad explanation file.") end
        if startsWith(lines[i], "</voerror>") then break end
        description[#description + 1] = lines[i]
        i = i + 1
      end
      if value == code then
        local joined = table.concat(description)
        return (string.gsub(joined, "[\r\n]+$", ""))
      end
    elseif startsWith(line, "<vocomment>") then
      repeat
        i = i + 1
      until lines[i] == nil or startsWith(lines[i], "</vocomment>")
    end
    i = i + 1
  end
  return nil
end

function voxlatorluautils.findErrorDescriptionFromDir(dir, code)
  table.insert(voxlatorluautils.searched, dir)
  local path = string.gsub(dir, "\\", "/")
  local ok, iter, state = pcall(lfs.dir, path)
  if not ok then
    fail(-52006, "open dir failed")
  end
  local names = {}
  for name in iter, state do
    if name ~= "." and name ~= ".." then
      names[#names + 1] = name
    end
  end
  table.sort(names, function(a, b)
    return string.lower(a) < string.lower(b)
  end)
  for _, name in ipairs(names) do
    local full = path .. "/" .. name
    local ext = string.match(name, "%.([^.]*)$")
    if lfs.attributes(full, "mode") == "file" and (ext == "txt" or ext == "err") then
      local description = searchFile(full, code)
      if description ~= nil then
        return description
      end
    end
  end
  return nil
end
voxlatorluautils.findErrorDescriptionFromFile = voxlatorluautils.findErrorDescriptionFromDir

function voxlatorluautils.findErrorDescriptionFromErrorsDir(dir, code, lang)
  local languageDir = dir .. "\\" .. voxlatorluautils.convertLangToDir(lang)
  local description = voxlatorluautils.findErrorDescriptionFromDir(languageDir, code)
  if description == nil then
    description = voxlatorluautils.findErrorDescriptionFromDir(dir, code)
  end
  return description
end

package.loaded.voxlatorluautils = voxlatorluautils
return voxlatorluautils
