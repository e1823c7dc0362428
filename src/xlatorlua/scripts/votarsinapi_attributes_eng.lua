-- Names of the device attributes of votarsinapi, in English, as error reports
-- print them. Keys are attribute identifiers written as exactly 8 uppercase
-- hexadecimal digits; "enums" maps the decimal text of an enumerated value to
-- its name. The entry "000000-2" names the active channel, a pseudo-attribute
-- that no identifier denotes.

votarsinapi_attributes_eng = {}

local attributes = {
  ["10000000"] = { shortName = "Channels In Stream", enums = {} },
  ["10000001"] = { shortName = "Samples Per Clock", enums = {} },
  ["10000005"] = { shortName = "ADC Resolution", enums = {} },
  ["10000006"] = { shortName = "ADC Sample Container", enums = {} },
  ["10000007"] = { shortName = "Synq Session Reference", enums = {} },
  ["10000008"] = { shortName = "Analog Edge Trigger Channel", enums = {} },
  ["10000009"] = {
    shortName = "Start Trigger Type",
    enums = {
      ["0"] = "Immediate",
      ["1"] = "Digital",
      ["2"] = "User",
      ["3"] = "DIO",
      ["4"] = "Analog",
    },
  },
  ["1000000B"] = {
    shortName = "Reference Clock Source",
    enums = {
      ["0"] = "Default",
      ["1"] = "Onboard",
      ["2"] = "PXI_Clk10",
      ["3"] = "External",
    },
  },
  ["1000000C"] = { shortName = "Calibration Storage Size", enums = {} },
  ["1000000D"] = { shortName = "IO Error", enums = {} },
  ["1000000E"] = { shortName = "AI Nyquist Zone", enums = {} },
  ["1000000F"] = { shortName = "AI Channel Count", enums = {} },
  ["10000010"] = { shortName = "ADC Clock Divisor", enums = {} },
  ["10000011"] = {
    shortName = "AI Coupling",
    enums = {
      ["0"] = "AC",
      ["1"] = "DC",
    },
  },
  ["10000012"] = { shortName = "Phase DAC Value", enums = {} },
  ["10000013"] = {
    shortName = "Sample Clock Source",
    enums = {
      ["0"] = "Internal",
      ["1"] = "Front Panel",
    },
  },
  ["10000014"] = { shortName = "AI Decimation Filter Band", enums = {} },
  ["10000015"] = { shortName = "Data Clock Divisor", enums = {} },
  ["10000016"] = {
    shortName = "Start Trigger Sensitivity",
    enums = {
      ["2147483644"] = "Low Level",
      ["2147483645"] = "High Level",
      ["2147483646"] = "Falling Edge",
      ["2147483647"] = "Rising Edge",
    },
  },
  ["10000017"] = { shortName = "IO Module Ref Clk Pin Src", enums = {} },
  ["20000002"] = { shortName = "Analog Edge Trigger Level", enums = {} },
  ["20000003"] = { shortName = "Analog Edge Trigger Hysteresis", enums = {} },
  ["20000005"] = { shortName = "FPGA Temperature", enums = {} },
  ["20000006"] = { shortName = "Total Power", enums = {} },
  ["20000007"] = { shortName = "12V Power", enums = {} },
  ["20000008"] = { shortName = "3V3 Power", enums = {} },
  ["20000009"] = { shortName = "12V IO Power", enums = {} },
  ["2000000A"] = { shortName = "Temperature Limit", enums = {} },
  ["2000000B"] = { shortName = "Power Limit", enums = {} },
  ["2000000D"] = { shortName = "Calibration Temperature", enums = {} },
  ["2000000E"] = { shortName = "Verification Temperature", enums = {} },
  ["2000000F"] = { shortName = "AI Impedance", enums = {} },
  ["20000010"] = { shortName = "AI Range", enums = {} },
  ["20000011"] = { shortName = "AI Scaling Gain", enums = {} },
  ["20000012"] = { shortName = "AI Scaling Offset", enums = {} },
  ["20000013"] = { shortName = "Sample dt", enums = {} },
  ["20000014"] = { shortName = "DIO Voltage", enums = {} },
  ["20000015"] = { shortName = "Data Clock Rate", enums = {} },
  ["20000016"] = { shortName = "ADC Sample Rate", enums = {} },
  ["20000017"] = { shortName = "Sample Clock Timebase Rate", enums = {} },
  ["20000018"] = { shortName = "Reference Clock Rate", enums = {} },
  ["20000019"] = { shortName = "Data Delay", enums = {} },
  ["30000000"] = { shortName = "Digital Start Trigger Source", enums = {} },
  ["30000002"] = { shortName = "Stream FIFO Name", enums = {} },
  ["30000003"] = { shortName = "Start Trigger Output Terminal", enums = {} },
  ["30000004"] = { shortName = "Phase DAC Calibration Polynomial", enums = {} },
  ["30000005"] = { shortName = "TDC Calibration Polynomial", enums = {} },
  ["30000006"] = { shortName = "Routing Alias", enums = {} },
  ["30000007"] = { shortName = "Start Trigger for Synq Output Terminal", enums = {} },
  ["40000001"] = { shortName = "Stream Finite", enums = {} },
  ["40000002"] = { shortName = "Analog Edge Trigger Rising", enums = {} },
  ["40000003"] = { shortName = "IO Ready", enums = {} },
  ["40000004"] = { shortName = "IOC Filter Enable", enums = {} },
  ["40000005"] = { shortName = "Internal Sync Bypass Cal", enums = {} },
  ["50000000"] = { shortName = "Stream Number Of Samples", enums = {} },
  ["50000001"] = { shortName = "Stream FIFO Size", enums = {} },
  ["50000002"] = { shortName = "Stream Channels Enabled", enums = {} },
  ["50000003"] = { shortName = "Calibration Date/Time", enums = {} },
  ["50000004"] = { shortName = "Verification Date/Time", enums = {} },
  ["50000005"] = { shortName = "Internal Scaling Coef Ptr", enums = {} },
  ["000000-2"] = { shortName = "Active Channel", enums = {} },
}

-- The entry of an attribute ("10000001"), or nil.
function votarsinapi_attributes_eng.getAttribute(attrID)
  return attributes[attrID]
end

local function sortedKeys(t)
  local keys = {}
  for k in pairs(t) do
    keys[#keys + 1] = k
  end
  table.sort(keys, function(a, b)
    return tostring(a) < tostring(b)
  end)
  return keys
end

-- Prints a table, nested tables indented, keys sorted (diagnostics).
function votarsinapi_attributes_eng.tprint(t, indent)
  indent = indent or 0
  local pad = string.rep("  ", indent)
  for _, k in ipairs(sortedKeys(t)) do
    local v = t[k]
    if type(v) == "table" then
      print(pad .. tostring(k) .. ":")
      votarsinapi_attributes_eng.tprint(v, indent + 1)
    else
      print(pad .. tostring(k) .. " = " .. tostring(v))
    end
  end
end

-- Prints one attribute entry, or a line saying that there is none.
function votarsinapi_attributes_eng.printattr(attrID)
  local entry = attributes[attrID]
  if entry == nil then
    print(tostring(attrID) .. ": no such attribute")
    return
  end
  print(tostring(attrID) .. ": " .. entry.shortName)
  votarsinapi_attributes_eng.tprint(entry.enums, 1)
end

return votarsinapi_attributes_eng
