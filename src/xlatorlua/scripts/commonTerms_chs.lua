-- Terms of the error reports of votarsinapi, simplified Chinese: the names of the
-- quantities that error contexts report (keys kUsageType...) and auxiliary
-- phrases (keys kAuxTerm...). The six term tables have the same keys.
--
-- This source is UTF-8. The build stores its text in code page 936, the form
-- in which the translator script reads it and converts it with
-- voxlatorluautils.mbsToUtf8.

local terms = {
  -- Usage types: the device and its session
  kUsageTypeDevice = "设备",
  kUsageTypeResourceName = "资源名称",
  kUsageTypeSession = "会话",
  kUsageTypeSessionHandle = "会话句柄",
  kUsageTypeSerialNumber = "序列号",
  kUsageTypeProductName = "产品名称",
  kUsageTypeSlotNumber = "插槽号",
  kUsageTypeChassisNumber = "机箱号",
  kUsageTypeDriverVersion = "驱动程序版本",
  kUsageTypeFirmwareVersion = "固件版本",
  kUsageTypeFpgaImage = "FPGA镜像",
  kUsageTypeBitfilePath = "比特文件路径",
  kUsageTypeBitfileSignature = "比特文件签名",
  kUsageTypeIoModule = "I/O模块",
  kUsageTypeIoModuleId = "I/O模块ID",
  kUsageTypeVendorId = "供应商ID",
  kUsageTypeProductId = "产品ID",

  -- Usage types: channels and streams
  kUsageTypeChannelName = "通道名称",
  kUsageTypeChannelList = "通道列表",
  kUsageTypeChannelNumber = "通道号",
  kUsageTypeActiveChannel = "活动通道",
  kUsageTypeInvalidChannel = "无效通道",
  kUsageTypeValidChannelNames = "有效通道名称",
  kUsageTypeNumberOfChannels = "通道数",
  kUsageTypeEnabledChannels = "已启用的通道",
  kUsageTypeStreamNumber = "流编号",
  kUsageTypeStreamState = "流状态",

  -- Usage types: attributes and their values
  kUsageTypeAttributeId = "属性ID",
  kUsageTypeAttributeIdentifier = "属性",
  kUsageTypeAffectedAttribute = "受影响的属性",
  kUsageTypeConflictingAttr = "冲突的属性",
  kUsageTypeConflictingProperty = "冲突的属性",
  kUsageTypeAttributeName = "属性名称",
  kUsageTypeValueType = "值类型",
  kUsageTypeExpectedValueType = "预期的值类型",
  kUsageTypeRequestedValue = "请求的值",
  kUsageTypeCurrentValue = "当前值",
  kUsageTypeCoercedValue = "强制转换后的值",
  kUsageTypeDefaultValue = "默认值",
  kUsageTypeConflictingValue = "冲突的值",
  kUsageTypeValidValues = "有效值",
  kUsageTypeMinimumValue = "最小值",
  kUsageTypeMaximumValue = "最大值",
  kUsageTypeIncrement = "增量",
  kUsageTypeUnits = "单位",

  -- Usage types: acquisition
  kUsageTypeSampleRate = "采样率",
  kUsageTypeRequestedSampleRate = "请求的采样率",
  kUsageTypeActualSampleRate = "实际采样率",
  kUsageTypeMaximumSampleRate = "最大采样率",
  kUsageTypeSampleClockSource = "采样时钟源",
  kUsageTypeSampleClockTimebaseRate = "采样时钟时基频率",
  kUsageTypeReferenceClockSource = "参考时钟源",
  kUsageTypeReferenceClockRate = "参考时钟频率",
  kUsageTypeClockDivisor = "时钟分频系数",
  kUsageTypeNumberOfSamples = "采样数",
  kUsageTypeSamplesPerChannel = "每通道采样数",
  kUsageTypeSamplesRequested = "请求的采样数",
  kUsageTypeSamplesAvailable = "可用采样数",
  kUsageTypeSamplesRead = "已读取的采样数",
  kUsageTypeSamplesLost = "丢失的采样数",
  kUsageTypeRecordLength = "记录长度",
  kUsageTypeBufferSize = "缓冲区大小",
  kUsageTypeRequiredBufferSize = "所需的缓冲区大小",
  kUsageTypeFifoName = "FIFO名称",
  kUsageTypeFifoSize = "FIFO大小",
  kUsageTypeElementsRemaining = "剩余元素数",
  kUsageTypeTimeout = "超时",
  kUsageTypeElapsedTime = "已用时间",
  kUsageTypeDataType = "数据类型",
  kUsageTypeBytesPerSample = "每个采样的字节数",
  kUsageTypeResolution = "分辨率",
  kUsageTypeInputRange = "输入范围",
  kUsageTypeInputImpedance = "输入阻抗",
  kUsageTypeCoupling = "耦合",
  kUsageTypeNyquistZone = "奈奎斯特区",
  kUsageTypeDecimationFilterBand = "抽取滤波器频带",
  kUsageTypeScalingGain = "缩放增益",
  kUsageTypeScalingOffset = "缩放偏移",

  -- Usage types: triggers
  kUsageTypeTriggerType = "触发类型",
  kUsageTypeTriggerSource = "触发源",
  kUsageTypeTriggerLevel = "触发电平",
  kUsageTypeTriggerHysteresis = "触发迟滞",
  kUsageTypeTriggerSlope = "触发斜率",
  kUsageTypeTriggerSensitivity = "触发灵敏度",
  kUsageTypeTriggerChannel = "触发通道",
  kUsageTypeOutputTerminal = "输出端子",

  -- Usage types: routing and synchronisation
  kUsageTypeSourceTerminal = "源端子",
  kUsageTypeDestinationTerminal = "目标端子",
  kUsageTypeTerminalName = "端子名称",
  kUsageTypeRouteId = "路由",
  kUsageTypeRoutingAlias = "路由别名",
  kUsageTypeSyncSessionReference = "同步会话引用",

  -- Usage types: calibration, limits, registers and FIFOs
  kUsageTypeTemperature = "温度",
  kUsageTypeTemperatureLimit = "温度限制",
  kUsageTypePower = "功率",
  kUsageTypePowerLimit = "功率限制",
  kUsageTypeCalibrationDate = "校准日期",
  kUsageTypeCalibrationTemperature = "校准温度",
  kUsageTypeVerificationDate = "验证日期",
  kUsageTypeStorageSize = "存储大小",
  kUsageTypeStorageOffset = "存储偏移",
  kUsageTypeNumberOfBytes = "字节数",
  kUsageTypeRegisterName = "寄存器名称",
  kUsageTypeRegisterAddress = "寄存器地址",
  kUsageTypeRegisterOffset = "寄存器偏移",
  kUsageTypeFifoNumber = "FIFO编号",
  kUsageTypeNumberOfInstructions = "指令数",

  -- Usage types: requests, software and the system
  kUsageTypeFunctionNumber = "函数编号",
  kUsageTypeRequestFamily = "请求系列",
  kUsageTypeCommand = "命令",
  kUsageTypeRequestSize = "请求大小",
  kUsageTypeResponseSize = "响应大小",
  kUsageTypeStatusCode = "状态代码",
  kUsageTypeErrorConstant = "错误常量",
  kUsageTypeComponent = "组件",
  kUsageTypeOperation = "操作",
  kUsageTypeFunctionName = "函数名称",
  kUsageTypeArgumentName = "参数名称",
  kUsageTypeArgumentPosition = "参数位置",
  kUsageTypeArgumentValue = "参数值",
  kUsageTypeFilePath = "文件路径",
  kUsageTypeFileName = "文件名",
  kUsageTypeLineNumber = "行号",
  kUsageTypeDirectory = "目录",
  kUsageTypeLibraryName = "库名称",
  kUsageTypeSymbolName = "符号名称",
  kUsageTypeSystemErrorCode = "系统错误代码",
  kUsageTypeSystemErrorMessage = "系统错误消息",
  kUsageTypeRegistryKey = "注册表项",
  kUsageTypeRegistryValueName = "注册表值名称",
  kUsageTypeTranslatorName = "翻译器名称",
  kUsageTypeLanguage = "语言",

  -- Usage types whose items carry data for tools, not for readers
  kUsageTypeHiddenDebugData = "",
  kUsageTypeFlagDigitsOfPrecision = "",

  -- Auxiliary terms: separators and headers
  kAuxTermItemSeparator = "、",
  kAuxTermRangeSeparator = " 至 ",
  kAuxTermAnd = "和",
  kAuxTermOr = "或",
  kAuxTermExplanationHeader = "说明：",
  kAuxTermPossibleCausesHeader = "可能的原因：",
  kAuxTermSuggestedActionHeader = "建议的操作：",
  kAuxTermStatusCodeHeader = "状态代码：",
  kAuxTermAdditionalInformationHeader = "其他信息：",
  kAuxTermDebugInformationHeader = "调试信息：",
  kAuxTermCausedByHeader = "原因：",
  kAuxTermErrorHeader = "错误",
  kAuxTermWarningHeader = "警告",

  -- Auxiliary terms: words that stand for values
  kAuxTermNone = "无",
  kAuxTermUnknown = "未知",
  kAuxTermNotApplicable = "不适用",
  kAuxTermDefault = "默认",
  kAuxTermTrue = "真",
  kAuxTermFalse = "假",
  kAuxTermEnabled = "已启用",
  kAuxTermDisabled = "已禁用",
  kAuxTermEntireDevice = "整个设备",
  kAuxTermAllChannels = "所有通道",
  kAuxTermSimulatedDevice = "仿真设备",
  kAuxTermReadOnly = "只读",
  kAuxTermReadWrite = "读/写",
  kAuxTermInput = "输入",
  kAuxTermOutput = "输出",
  kAuxTermRisingEdge = "上升沿",
  kAuxTermFallingEdge = "下降沿",

  -- Auxiliary terms: units
  kAuxTermUnitSeconds = "秒",
  kAuxTermUnitMilliseconds = "毫秒",
  kAuxTermUnitHertz = "Hz",
  kAuxTermUnitSamplesPerSecond = "S/s",
  kAuxTermUnitVolts = "V",
  kAuxTermUnitWatts = "W",
  kAuxTermUnitOhms = "Ω",
  kAuxTermUnitDegreesCelsius = "°C",
  kAuxTermUnitSamples = "个采样",
  kAuxTermUnitBytes = "字节",
}

usageTypes_chs = terms

-- The term of a key, or nil.
function usageTypes_chs.getString(key)
  local text = rawget(terms, key)
  if type(text) == "string" then
    return text
  end
  return nil
end

-- Prints a table (by default the terms), keys sorted, nested tables indented
-- (diagnostics).
function usageTypes_chs.tprint(t, indent)
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
      usageTypes_chs.tprint(v, indent + 1)
    else
      print(pad .. tostring(k) .. " = " .. string.format("%q", tostring(v)))
    end
  end
end

return usageTypes_chs
