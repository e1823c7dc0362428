-- Terms of the error reports of votarsinapi, English: the names of the
-- quantities that error contexts report (keys kUsageType...) and auxiliary
-- phrases (keys kAuxTerm...). The six term tables have the same keys.
--
-- This source is UTF-8. The build stores its text in code page 1252, the form
-- in which the translator script reads it and converts it with
-- voxlatorluautils.mbsToUtf8.

local terms = {
  -- Usage types: the device and its session
  kUsageTypeDevice = "Device",
  kUsageTypeResourceName = "Resource Name",
  kUsageTypeSession = "Session",
  kUsageTypeSessionHandle = "Session Handle",
  kUsageTypeSerialNumber = "Serial Number",
  kUsageTypeProductName = "Product Name",
  kUsageTypeSlotNumber = "Slot Number",
  kUsageTypeChassisNumber = "Chassis Number",
  kUsageTypeDriverVersion = "Driver Version",
  kUsageTypeFirmwareVersion = "Firmware Version",
  kUsageTypeFpgaImage = "FPGA Image",
  kUsageTypeBitfilePath = "Bitfile Path",
  kUsageTypeBitfileSignature = "Bitfile Signature",
  kUsageTypeIoModule = "I/O Module",
  kUsageTypeIoModuleId = "I/O Module ID",
  kUsageTypeVendorId = "Vendor ID",
  kUsageTypeProductId = "Product ID",

  -- Usage types: channels and streams
  kUsageTypeChannelName = "Channel Name",
  kUsageTypeChannelList = "Channel List",
  kUsageTypeChannelNumber = "Channel Number",
  kUsageTypeActiveChannel = "Active Channel",
  kUsageTypeInvalidChannel = "Invalid Channel",
  kUsageTypeValidChannelNames = "Valid Channel Names",
  kUsageTypeNumberOfChannels = "Number of Channels",
  kUsageTypeEnabledChannels = "Enabled Channels",
  kUsageTypeStreamNumber = "Stream Number",
  kUsageTypeStreamState = "Stream State",

  -- Usage types: attributes and their values
  kUsageTypeAttributeId = "Attribute Id",
  kUsageTypeAttributeIdentifier = "Property",
  kUsageTypeAffectedAttribute = "Affected Property",
  kUsageTypeConflictingAttr = "Conflicting Attribute",
  kUsageTypeConflictingProperty = "Conflicting Property",
  kUsageTypeAttributeName = "Attribute Name",
  kUsageTypeValueType = "Value Type",
  kUsageTypeExpectedValueType = "Expected Value Type",
  kUsageTypeRequestedValue = "Requested Value",
  kUsageTypeCurrentValue = "Current Value",
  kUsageTypeCoercedValue = "Coerced Value",
  kUsageTypeDefaultValue = "Default Value",
  kUsageTypeConflictingValue = "Conflicting Value",
  kUsageTypeValidValues = "Valid Values",
  kUsageTypeMinimumValue = "Minimum Value",
  kUsageTypeMaximumValue = "Maximum Value",
  kUsageTypeIncrement = "Increment",
  kUsageTypeUnits = "Units",

  -- Usage types: acquisition
  kUsageTypeSampleRate = "Sample Rate",
  kUsageTypeRequestedSampleRate = "Requested Sample Rate",
  kUsageTypeActualSampleRate = "Actual Sample Rate",
  kUsageTypeMaximumSampleRate = "Maximum Sample Rate",
  kUsageTypeSampleClockSource = "Sample Clock Source",
  kUsageTypeSampleClockTimebaseRate = "Sample Clock Timebase Rate",
  kUsageTypeReferenceClockSource = "Reference Clock Source",
  kUsageTypeReferenceClockRate = "Reference Clock Rate",
  kUsageTypeClockDivisor = "Clock Divisor",
  kUsageTypeNumberOfSamples = "Number of Samples",
  kUsageTypeSamplesPerChannel = "Samples per Channel",
  kUsageTypeSamplesRequested = "Samples Requested",
  kUsageTypeSamplesAvailable = "Samples Available",
  kUsageTypeSamplesRead = "Samples Read",
  kUsageTypeSamplesLost = "Samples Lost",
  kUsageTypeRecordLength = "Record Length",
  kUsageTypeBufferSize = "Buffer Size",
  kUsageTypeRequiredBufferSize = "Required Buffer Size",
  kUsageTypeFifoName = "FIFO Name",
  kUsageTypeFifoSize = "FIFO Size",
  kUsageTypeElementsRemaining = "Elements Remaining",
  kUsageTypeTimeout = "Timeout",
  kUsageTypeElapsedTime = "Elapsed Time",
  kUsageTypeDataType = "Data Type",
  kUsageTypeBytesPerSample = "Bytes per Sample",
  kUsageTypeResolution = "Resolution",
  kUsageTypeInputRange = "Input Range",
  kUsageTypeInputImpedance = "Input Impedance",
  kUsageTypeCoupling = "Coupling",
  kUsageTypeNyquistZone = "Nyquist Zone",
  kUsageTypeDecimationFilterBand = "Decimation Filter Band",
  kUsageTypeScalingGain = "Scaling Gain",
  kUsageTypeScalingOffset = "Scaling Offset",

  -- Usage types: triggers
  kUsageTypeTriggerType = "Trigger Type",
  kUsageTypeTriggerSource = "Trigger Source",
  kUsageTypeTriggerLevel = "Trigger Level",
  kUsageTypeTriggerHysteresis = "Trigger Hysteresis",
  kUsageTypeTriggerSlope = "Trigger Slope",
  kUsageTypeTriggerSensitivity = "Trigger Sensitivity",
  kUsageTypeTriggerChannel = "Trigger Channel",
  kUsageTypeOutputTerminal = "Output Terminal",

  -- Usage types: routing and synchronisation
  kUsageTypeSourceTerminal = "Source Terminal",
  kUsageTypeDestinationTerminal = "Destination Terminal",
  kUsageTypeTerminalName = "Terminal Name",
  kUsageTypeRouteId = "Route",
  kUsageTypeRoutingAlias = "Routing Alias",
  kUsageTypeSyncSessionReference = "Synchronization Session Reference",

  -- Usage types: calibration, limits, registers and FIFOs
  kUsageTypeTemperature = "Temperature",
  kUsageTypeTemperatureLimit = "Temperature Limit",
  kUsageTypePower = "Power",
  kUsageTypePowerLimit = "Power Limit",
  kUsageTypeCalibrationDate = "Calibration Date",
  kUsageTypeCalibrationTemperature = "Calibration Temperature",
  kUsageTypeVerificationDate = "Verification Date",
  kUsageTypeStorageSize = "Storage Size",
  kUsageTypeStorageOffset = "Storage Offset",
  kUsageTypeNumberOfBytes = "Number of Bytes",
  kUsageTypeRegisterName = "Register Name",
  kUsageTypeRegisterAddress = "Register Address",
  kUsageTypeRegisterOffset = "Register Offset",
  kUsageTypeFifoNumber = "FIFO Number",
  kUsageTypeNumberOfInstructions = "Number of Instructions",

  -- Usage types: requests, software and the system
  kUsageTypeFunctionNumber = "Function Number",
  kUsageTypeRequestFamily = "Request Family",
  kUsageTypeCommand = "Command",
  kUsageTypeRequestSize = "Request Size",
  kUsageTypeResponseSize = "Response Size",
  kUsageTypeStatusCode = "Status Code",
  kUsageTypeErrorConstant = "Error Constant",
  kUsageTypeComponent = "Component",
  kUsageTypeOperation = "Operation",
  kUsageTypeFunctionName = "Function Name",
  kUsageTypeArgumentName = "Argument Name",
  kUsageTypeArgumentPosition = "Argument Position",
  kUsageTypeArgumentValue = "Argument Value",
  kUsageTypeFilePath = "File Path",
  kUsageTypeFileName = "File Name",
  kUsageTypeLineNumber = "Line Number",
  kUsageTypeDirectory = "Directory",
  kUsageTypeLibraryName = "Library Name",
  kUsageTypeSymbolName = "Symbol Name",
  kUsageTypeSystemErrorCode = "System Error Code",
  kUsageTypeSystemErrorMessage = "System Error Message",
  kUsageTypeRegistryKey = "Registry Key",
  kUsageTypeRegistryValueName = "Registry Value Name",
  kUsageTypeTranslatorName = "Translator Name",
  kUsageTypeLanguage = "Language",

  -- Usage types whose items carry data for tools, not for readers
  kUsageTypeHiddenDebugData = "",
  kUsageTypeFlagDigitsOfPrecision = "",

  -- Auxiliary terms: separators and headers
  kAuxTermItemSeparator = ", ",
  kAuxTermRangeSeparator = " to ",
  kAuxTermAnd = " and ",
  kAuxTermOr = " or ",
  kAuxTermExplanationHeader = "Explanation: ",
  kAuxTermPossibleCausesHeader = "Possible causes: ",
  kAuxTermSuggestedActionHeader = "Suggested action: ",
  kAuxTermStatusCodeHeader = "Status code: ",
  kAuxTermAdditionalInformationHeader = "Additional information: ",
  kAuxTermDebugInformationHeader = "Debug information: ",
  kAuxTermCausedByHeader = "Caused by: ",
  kAuxTermErrorHeader = "Error",
  kAuxTermWarningHeader = "Warning",

  -- Auxiliary terms: words that stand for values
  kAuxTermNone = "None",
  kAuxTermUnknown = "Unknown",
  kAuxTermNotApplicable = "Not applicable",
  kAuxTermDefault = "Default",
  kAuxTermTrue = "True",
  kAuxTermFalse = "False",
  kAuxTermEnabled = "Enabled",
  kAuxTermDisabled = "Disabled",
  kAuxTermEntireDevice = "Entire device",
  kAuxTermAllChannels = "All channels",
  kAuxTermSimulatedDevice = "Simulated device",
  kAuxTermReadOnly = "Read-only",
  kAuxTermReadWrite = "Read/write",
  kAuxTermInput = "Input",
  kAuxTermOutput = "Output",
  kAuxTermRisingEdge = "Rising edge",
  kAuxTermFallingEdge = "Falling edge",

  -- Auxiliary terms: units
  kAuxTermUnitSeconds = "seconds",
  kAuxTermUnitMilliseconds = "milliseconds",
  kAuxTermUnitHertz = "Hz",
  kAuxTermUnitSamplesPerSecond = "S/s",
  kAuxTermUnitVolts = "V",
  kAuxTermUnitWatts = "W",
  kAuxTermUnitOhms = "ohms",
  kAuxTermUnitDegreesCelsius = "°C",
  kAuxTermUnitSamples = "samples",
  kAuxTermUnitBytes = "bytes",
}

usageTypes_eng = terms

-- The term of a key, or nil.
function usageTypes_eng.getString(key)
  local text = rawget(terms, key)
  if type(text) == "string" then
    return text
  end
  return nil
end

-- Prints a table (by default the terms), keys sorted, nested tables indented
-- (diagnostics).
function usageTypes_eng.tprint(t, indent)
  t = t or terms
  indent = indent or 0
  local keys = {}
  for k, v in pairs(t) do
    if type(v) ~= "function" then
      keys[#keys + 1] = k
    end
  end
  table.sort(keys, function(a, b)
    return tostring(a) < tostring(b)
  end)
  local pad = string.rep("  ", indent)
  for _, k in ipairs(keys) do
    local v = t[k]
    if type(v) == "table" then
      print(pad .. tostring(k) .. ":")
      usageTypes_eng.tprint(v, indent + 1)
    else
      print(pad .. tostring(k) .. " = " .. string.format("%q", tostring(v)))
    end
  end
end

return usageTypes_eng
