-- Names of the device attributes of votarsinapi, in English, as error reports
-- print them. Keys are attribute identifiers written as exactly 8 uppercase
-- hexadecimal digits; "enums" maps the decimal text of an enumerated value to
-- its name. The entry "000000-2" names the active channel, a pseudo-attribute
-- that no identifier denotes.
--
-- A report looks up one or two attributes of the many, so the names stay in
-- one string, one attribute per line, and an entry table is made on the first
-- lookup of its key and kept: every lookup of a key returns the same table.

votarsinapi_attributes_eng = {}

-- key|short name|value=name|value=name... (the empty first line puts a line
-- feed before every key).
local names = [[

10000000|Channels In Stream
10000001|Samples Per Clock
10000005|ADC Resolution
10000006|ADC Sample Container
10000007|Synq Session Reference
10000008|Analog Edge Trigger Channel
10000009|Start Trigger Type|0=Immediate|1=Digital|2=User|3=DIO|4=Analog
1000000B|Reference Clock Source|0=Default|1=Onboard|2=PXI_Clk10|3=External
1000000C|Calibration Storage Size
1000000D|IO Error
1000000E|AI Nyquist Zone
1000000F|AI Channel Count
10000010|ADC Clock Divisor
10000011|AI Coupling|0=AC|1=DC
10000012|Phase DAC Value
10000013|Sample Clock Source|0=Internal|1=Front Panel
10000014|AI Decimation Filter Band
10000015|Data Clock Divisor
10000016|Start Trigger Sensitivity|2147483644=Low Level|2147483645=High Level|2147483646=Falling Edge|2147483647=Rising Edge
10000017|IO Module Ref Clk Pin Src
20000002|Analog Edge Trigger Level
20000003|Analog Edge Trigger Hysteresis
20000005|FPGA Temperature
20000006|Total Power
20000007|12V Power
20000008|3V3 Power
20000009|12V IO Power
2000000A|Temperature Limit
2000000B|Power Limit
2000000D|Calibration Temperature
2000000E|Verification Temperature
2000000F|AI Impedance
20000010|AI Range
20000011|AI Scaling Gain
20000012|AI Scaling Offset
20000013|Sample dt
20000014|DIO Voltage
20000015|Data Clock Rate
20000016|ADC Sample Rate
20000017|Sample Clock Timebase Rate
20000018|Reference Clock Rate
20000019|Data Delay
30000000|Digital Start Trigger Source
30000002|Stream FIFO Name
30000003|Start Trigger Output Terminal
30000004|Phase DAC Calibration Polynomial
30000005|TDC Calibration Polynomial
30000006|Routing Alias
30000007|Start Trigger for Synq Output Terminal
40000001|Stream Finite
40000002|Analog Edge Trigger Rising
40000003|IO Ready
40000004|IOC Filter Enable
40000005|Internal Sync Bypass Cal
50000000|Stream Number Of Samples
50000001|Stream FIFO Size
50000002|Stream Channels Enabled
50000003|Calibration Date/Time
50000004|Verification Date/Time
50000005|Internal Scaling Coef Ptr
000000-2|Active Channel
]]

local entries = {}

-- The entry of `key`, made from its line on the first lookup; nil for
-- anything but a key (a key spans no line feed and holds no separator).
local function entry(key)
  local found = entries[key]
  if found ~= nil or type(key) ~= "string" or string.find(key, "[\n|]") then
    return found
  end
  local _, last = string.find(names, "\n" .. key .. "|", 1, true)
  if last == nil then
    return nil
  end
  local line = string.match(names, "^[^\n]*", last + 1)
  local enums = {}
  for value, name in string.gmatch(line, "|([^|=]*)=([^|]*)") do
    enums[value] = name
  end
  found = { shortName = string.match(line, "^[^|]*"), enums = enums }
  entries[key] = found
  return found
end

-- The entry of an attribute ("10000001"), or nil.
function votarsinapi_attributes_eng.getAttribute(attrID)
  return entry(attrID)
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
  local found = entry(attrID)
  if found == nil then
    print(tostring(attrID) .. ": no such attribute")
    return
  end
  print(tostring(attrID) .. ": " .. found.shortName)
  votarsinapi_attributes_eng.tprint(found.enums, 1)
end

return votarsinapi_attributes_eng
