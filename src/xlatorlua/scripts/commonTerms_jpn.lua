-- Terms of the error reports of votarsinapi, Japanese: the names of the
-- quantities that error contexts report (keys kUsageType...) and auxiliary
-- phrases (keys kAuxTerm...). The six term tables have the same keys.
--
-- This source is UTF-8. The build stores its text in code page 932, the form
-- in which the translator script reads it and converts it with
-- voxlatorluautils.mbsToUtf8.

local terms = {
  -- Usage types: the device and its session
  kUsageTypeDevice = "デバイス",
  kUsageTypeResourceName = "リソース名",
  kUsageTypeSession = "セッション",
  kUsageTypeSessionHandle = "セッションハンドル",
  kUsageTypeSerialNumber = "シリアル番号",
  kUsageTypeProductName = "製品名",
  kUsageTypeSlotNumber = "スロット番号",
  kUsageTypeChassisNumber = "シャーシ番号",
  kUsageTypeDriverVersion = "ドライバのバージョン",
  kUsageTypeFirmwareVersion = "ファームウェアのバージョン",
  kUsageTypeFpgaImage = "FPGAイメージ",
  kUsageTypeBitfilePath = "ビットファイルのパス",
  kUsageTypeBitfileSignature = "ビットファイルの署名",
  kUsageTypeIoModule = "I/Oモジュール",
  kUsageTypeIoModuleId = "I/OモジュールID",
  kUsageTypeVendorId = "ベンダID",
  kUsageTypeProductId = "製品ID",

  -- Usage types: channels and streams
  kUsageTypeChannelName = "チャンネル名",
  kUsageTypeChannelList = "チャンネルリスト",
  kUsageTypeChannelNumber = "チャンネル番号",
  kUsageTypeActiveChannel = "アクティブチャンネル",
  kUsageTypeInvalidChannel = "無効なチャンネル",
  kUsageTypeValidChannelNames = "有効なチャンネル名",
  kUsageTypeNumberOfChannels = "チャンネル数",
  kUsageTypeEnabledChannels = "有効化されたチャンネル",
  kUsageTypeStreamNumber = "ストリーム番号",
  kUsageTypeStreamState = "ストリームの状態",

  -- Usage types: attributes and their values
  kUsageTypeAttributeId = "属性ID",
  kUsageTypeAttributeIdentifier = "プロパティ",
  kUsageTypeAffectedAttribute = "影響を受けるプロパティ",
  kUsageTypeConflictingAttr = "競合する属性",
  kUsageTypeConflictingProperty = "競合するプロパティ",
  kUsageTypeAttributeName = "属性名",
  kUsageTypeValueType = "値の型",
  kUsageTypeExpectedValueType = "想定される値の型",
  kUsageTypeRequestedValue = "要求された値",
  kUsageTypeCurrentValue = "現在の値",
  kUsageTypeCoercedValue = "強制変換された値",
  kUsageTypeDefaultValue = "デフォルト値",
  kUsageTypeConflictingValue = "競合する値",
  kUsageTypeValidValues = "有効な値",
  kUsageTypeMinimumValue = "最小値",
  kUsageTypeMaximumValue = "最大値",
  kUsageTypeIncrement = "増分",
  kUsageTypeUnits = "単位",

  -- Usage types: acquisition
  kUsageTypeSampleRate = "サンプルレート",
  kUsageTypeRequestedSampleRate = "要求されたサンプルレート",
  kUsageTypeActualSampleRate = "実際のサンプルレート",
  kUsageTypeMaximumSampleRate = "最大サンプルレート",
  kUsageTypeSampleClockSource = "サンプルクロックのソース",
  kUsageTypeSampleClockTimebaseRate = "サンプルクロックのタイムベースレート",
  kUsageTypeReferenceClockSource = "基準クロックのソース",
  kUsageTypeReferenceClockRate = "基準クロックのレート",
  kUsageTypeClockDivisor = "クロック分周比",
  kUsageTypeNumberOfSamples = "サンプル数",
  kUsageTypeSamplesPerChannel = "チャンネルあたりのサンプル数",
  kUsageTypeSamplesRequested = "要求されたサンプル数",
  kUsageTypeSamplesAvailable = "使用可能なサンプル数",
  kUsageTypeSamplesRead = "読み取られたサンプル数",
  kUsageTypeSamplesLost = "失われたサンプル数",
  kUsageTypeRecordLength = "レコード長",
  kUsageTypeBufferSize = "バッファサイズ",
  kUsageTypeRequiredBufferSize = "必要なバッファサイズ",
  kUsageTypeFifoName = "FIFO名",
  kUsageTypeFifoSize = "FIFOサイズ",
  kUsageTypeElementsRemaining = "残りの要素数",
  kUsageTypeTimeout = "タイムアウト",
  kUsageTypeElapsedTime = "経過時間",
  kUsageTypeDataType = "データ型",
  kUsageTypeBytesPerSample = "サンプルあたりのバイト数",
  kUsageTypeResolution = "分解能",
  kUsageTypeInputRange = "入力レンジ",
  kUsageTypeInputImpedance = "入力インピーダンス",
  kUsageTypeCoupling = "カップリング",
  kUsageTypeNyquistZone = "ナイキストゾーン",
  kUsageTypeDecimationFilterBand = "デシメーションフィルタの帯域",
  kUsageTypeScalingGain = "スケーリングゲイン",
  kUsageTypeScalingOffset = "スケーリングオフセット",

  -- Usage types: triggers
  kUsageTypeTriggerType = "トリガタイプ",
  kUsageTypeTriggerSource = "トリガソース",
  kUsageTypeTriggerLevel = "トリガレベル",
  kUsageTypeTriggerHysteresis = "トリガヒステリシス",
  kUsageTypeTriggerSlope = "トリガスロープ",
  kUsageTypeTriggerSensitivity = "トリガ感度",
  kUsageTypeTriggerChannel = "トリガチャンネル",
  kUsageTypeOutputTerminal = "出力端子",

  -- Usage types: routing and synchronisation
  kUsageTypeSourceTerminal = "ソース端子",
  kUsageTypeDestinationTerminal = "宛先端子",
  kUsageTypeTerminalName = "端子名",
  kUsageTypeRouteId = "ルート",
  kUsageTypeRoutingAlias = "ルーティングエイリアス",
  kUsageTypeSyncSessionReference = "同期セッションの参照",

  -- Usage types: calibration, limits, registers and FIFOs
  kUsageTypeTemperature = "温度",
  kUsageTypeTemperatureLimit = "温度制限",
  kUsageTypePower = "電力",
  kUsageTypePowerLimit = "電力制限",
  kUsageTypeCalibrationDate = "校正日",
  kUsageTypeCalibrationTemperature = "校正温度",
  kUsageTypeVerificationDate = "検証日",
  kUsageTypeStorageSize = "ストレージのサイズ",
  kUsageTypeStorageOffset = "ストレージのオフセット",
  kUsageTypeNumberOfBytes = "バイト数",
  kUsageTypeRegisterName = "レジスタ名",
  kUsageTypeRegisterAddress = "レジスタアドレス",
  kUsageTypeRegisterOffset = "レジスタオフセット",
  kUsageTypeFifoNumber = "FIFO番号",
  kUsageTypeNumberOfInstructions = "命令数",

  -- Usage types: requests, software and the system
  kUsageTypeFunctionNumber = "関数番号",
  kUsageTypeRequestFamily = "要求ファミリ",
  kUsageTypeCommand = "コマンド",
  kUsageTypeRequestSize = "要求サイズ",
  kUsageTypeResponseSize = "応答サイズ",
  kUsageTypeStatusCode = "ステータスコード",
  kUsageTypeErrorConstant = "エラー定数",
  kUsageTypeComponent = "コンポーネント",
  kUsageTypeOperation = "操作",
  kUsageTypeFunctionName = "関数名",
  kUsageTypeArgumentName = "引数名",
  kUsageTypeArgumentPosition = "引数の位置",
  kUsageTypeArgumentValue = "引数の値",
  kUsageTypeFilePath = "ファイルパス",
  kUsageTypeFileName = "ファイル名",
  kUsageTypeLineNumber = "行番号",
  kUsageTypeDirectory = "ディレクトリ",
  kUsageTypeLibraryName = "ライブラリ名",
  kUsageTypeSymbolName = "シンボル名",
  kUsageTypeSystemErrorCode = "システムエラーコード",
  kUsageTypeSystemErrorMessage = "システムエラーメッセージ",
  kUsageTypeRegistryKey = "レジストリキー",
  kUsageTypeRegistryValueName = "レジストリ値の名前",
  kUsageTypeTranslatorName = "トランスレータ名",
  kUsageTypeLanguage = "言語",

  -- Usage types whose items carry data for tools, not for readers
  kUsageTypeHiddenDebugData = "",
  kUsageTypeFlagDigitsOfPrecision = "",

  -- Auxiliary terms: separators and headers
  kAuxTermItemSeparator = "、",
  kAuxTermRangeSeparator = "～",
  kAuxTermAnd = "および",
  kAuxTermOr = "または",
  kAuxTermExplanationHeader = "説明：",
  kAuxTermPossibleCausesHeader = "考えられる原因：",
  kAuxTermSuggestedActionHeader = "推奨される対処：",
  kAuxTermStatusCodeHeader = "ステータスコード：",
  kAuxTermAdditionalInformationHeader = "追加情報：",
  kAuxTermDebugInformationHeader = "デバッグ情報：",
  kAuxTermCausedByHeader = "原因となったエラー：",
  kAuxTermErrorHeader = "エラー",
  kAuxTermWarningHeader = "警告",

  -- Auxiliary terms: words that stand for values
  kAuxTermNone = "なし",
  kAuxTermUnknown = "不明",
  kAuxTermNotApplicable = "該当なし",
  kAuxTermDefault = "デフォルト",
  kAuxTermTrue = "真",
  kAuxTermFalse = "偽",
  kAuxTermEnabled = "有効",
  kAuxTermDisabled = "無効",
  kAuxTermEntireDevice = "デバイス全体",
  kAuxTermAllChannels = "すべてのチャンネル",
  kAuxTermSimulatedDevice = "シミュレートされたデバイス",
  kAuxTermReadOnly = "読み取り専用",
  kAuxTermReadWrite = "読み書き可能",
  kAuxTermInput = "入力",
  kAuxTermOutput = "出力",
  kAuxTermRisingEdge = "立ち上がりエッジ",
  kAuxTermFallingEdge = "立ち下がりエッジ",

  -- Auxiliary terms: units
  kAuxTermUnitSeconds = "秒",
  kAuxTermUnitMilliseconds = "ミリ秒",
  kAuxTermUnitHertz = "Hz",
  kAuxTermUnitSamplesPerSecond = "S/s",
  kAuxTermUnitVolts = "V",
  kAuxTermUnitWatts = "W",
  kAuxTermUnitOhms = "Ω",
  kAuxTermUnitDegreesCelsius = "°C",
  kAuxTermUnitSamples = "サンプル",
  kAuxTermUnitBytes = "バイト",
}

usageTypes_jpn = terms

-- The term of a key, or nil.
function usageTypes_jpn.getString(key)
  local text = rawget(terms, key)
  if type(text) == "string" then
    return text
  end
  return nil
end

-- Prints a table (by default the terms), keys sorted, nested tables indented
-- (diagnostics).
function usageTypes_jpn.tprint(t, indent)
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
      usageTypes_jpn.tprint(v, indent + 1)
    else
      print(pad .. tostring(k) .. " = " .. string.format("%q", tostring(v)))
    end
  end
end

return usageTypes_jpn
