-- Bootstrap of the host's tests: the globals and the setup function that the
-- script host relies on, and nothing else. "test_package_path" of the
-- registration becomes package.path as it is.

json = require("json")
require("stdint")
require("voxlatorluautils")

voxlatorlua_name = nil
voxlatorlua_xlator = nil
voxlatorlua_settings = {}

function voxlatorlua_errHandler(message)
  return tostring(message) .. "\n" .. debug.traceback()
end

function voxlatorlua_setupEnv(name, registrationInfo)
  local registration = json.decode(registrationInfo)
  voxlatorlua_name = name
  package.path = registration.test_package_path or ""
  package.cpath = ""
  voxlatorlua_xlator = require(registration.voxlatorlua_xlator)
  if registration.voxlatorlua_settings ~= nil then
    voxlatorlua_settings = registration.voxlatorlua_settings
  end
end
