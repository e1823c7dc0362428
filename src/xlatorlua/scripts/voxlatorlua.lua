-- Bootstrap of the script translator. The host requires this module once when
-- it creates an interpreter state, then calls voxlatorlua_setupEnv with the
-- registration name and the registration JSON text:
--
--   {"voxlatorlua_xlator": "<module of the translator script>",
--    "voxlatorlua_path": "<dir>;<dir>;...",          (optional)
--    "voxlatorlua_settings": { ... }}                 (optional)
--
-- From then on the host calls voxlatorlua_xlator.getStaticDesc and
-- getDynamicDesc, with voxlatorlua_errHandler as message handler.
--
-- Defines globals only; require yields true.

json = require("json")
require("stdint")
require("voxlatorluautils")

voxlatorlua_name = nil        -- registration name of this translator
voxlatorlua_xlator = nil      -- the translator module
voxlatorlua_settings = {}     -- "voxlatorlua_settings" of the registration

-- Message handler of the host's protected calls: the message, then a stack
-- traceback. A message that cannot be concatenated fails the handler itself,
-- which the host reports as such.
function voxlatorlua_errHandler(message)
  return message .. "\n" .. debug.traceback()
end

-- The search path of script modules: each non-empty entry of the
-- semicolon-separated list, its path variables expanded, with '/' as
-- separator and "?.lua" appended.
local function searchPath(list)
  local entries = {}
  for piece in string.gmatch(list, "[^;]+") do
    local dir = voxlatorluautils.expandPath(voxlatorlua_name, piece)
    dir = string.gsub(dir, "\\", "/")
    if string.sub(dir, -1) ~= "/" then
      dir = dir .. "/"
    end
    entries[#entries + 1] = dir .. "?.lua"
  end
  return table.concat(entries, ";")
end

function voxlatorlua_setupEnv(name, registrationInfo)
  local registration, _, message = json.decode(registrationInfo)
  if type(registration) ~= "table" then
    error("invalid registration: " .. tostring(message or "not a JSON object"), 0)
  end
  voxlatorlua_name = name

  local path = registration.voxlatorlua_path
  if path == nil then
    package.path = ""
  elseif type(path) == "string" then
    package.path = searchPath(path)
  else
    error("invalid registration: \"voxlatorlua_path\" must be a string", 0)
  end
  -- Binary extension modules are never loaded.
  package.cpath = ""

  local module = registration.voxlatorlua_xlator
  if type(module) ~= "string" then
    error("invalid registration: \"voxlatorlua_xlator\" must name the translator module", 0)
  end
  voxlatorlua_xlator = require(module)

  if registration.voxlatorlua_settings ~= nil then
    voxlatorlua_settings = registration.voxlatorlua_settings
  end
end
