-- Terms of the error reports of votarsinapi, Korean: the names of the
-- quantities that error contexts report (keys kUsageType...) and auxiliary
-- phrases (keys kAuxTerm...). The six term tables have the same keys.
--
-- This source is UTF-8. The build stores its text in code page 949, the form
-- in which the translator script reads it and converts it with
-- voxlatorluautils.mbsToUtf8.

local terms = {
  -- Usage types: the device and its session
  kUsageTypeDevice = "장치",
  kUsageTypeResourceName = "리소스 이름",
  kUsageTypeSession = "세션",
  kUsageTypeSessionHandle = "세션 핸들",
  kUsageTypeSerialNumber = "일련 번호",
  kUsageTypeProductName = "제품 이름",
  kUsageTypeSlotNumber = "슬롯 번호",
  kUsageTypeChassisNumber = "섀시 번호",
  kUsageTypeDriverVersion = "드라이버 버전",
  kUsageTypeFirmwareVersion = "펌웨어 버전",
  kUsageTypeFpgaImage = "FPGA 이미지",
  kUsageTypeBitfilePath = "비트파일 경로",
  kUsageTypeBitfileSignature = "비트파일 서명",
  kUsageTypeIoModule = "I/O 모듈",
  kUsageTypeIoModuleId = "I/O 모듈 ID",
  kUsageTypeVendorId = "공급업체 ID",
  kUsageTypeProductId = "제품 ID",

  -- Usage types: channels and streams
  kUsageTypeChannelName = "채널 이름",
  kUsageTypeChannelList = "채널 목록",
  kUsageTypeChannelNumber = "채널 번호",
  kUsageTypeActiveChannel = "활성 채널",
  kUsageTypeInvalidChannel = "잘못된 채널",
  kUsageTypeValidChannelNames = "유효한 채널 이름",
  kUsageTypeNumberOfChannels = "채널 수",
  kUsageTypeEnabledChannels = "활성화된 채널",
  kUsageTypeStreamNumber = "스트림 번호",
  kUsageTypeStreamState = "스트림 상태",

  -- Usage types: attributes and their values
  kUsageTypeAttributeId = "특성 ID",
  kUsageTypeAttributeIdentifier = "속성",
  kUsageTypeAffectedAttribute = "영향을 받는 속성",
  kUsageTypeConflictingAttr = "충돌하는 특성",
  kUsageTypeConflictingProperty = "충돌하는 속성",
  kUsageTypeAttributeName = "특성 이름",
  kUsageTypeValueType = "값 형식",
  kUsageTypeExpectedValueType = "필요한 값 형식",
  kUsageTypeRequestedValue = "요청된 값",
  kUsageTypeCurrentValue = "현재 값",
  kUsageTypeCoercedValue = "강제 변환된 값",
  kUsageTypeDefaultValue = "기본값",
  kUsageTypeConflictingValue = "충돌하는 값",
  kUsageTypeValidValues = "유효한 값",
  kUsageTypeMinimumValue = "최소값",
  kUsageTypeMaximumValue = "최대값",
  kUsageTypeIncrement = "증분",
  kUsageTypeUnits = "단위",

  -- Usage types: acquisition
  kUsageTypeSampleRate = "샘플 속도",
  kUsageTypeRequestedSampleRate = "요청된 샘플 속도",
  kUsageTypeActualSampleRate = "실제 샘플 속도",
  kUsageTypeMaximumSampleRate = "최대 샘플 속도",
  kUsageTypeSampleClockSource = "샘플 클럭 소스",
  kUsageTypeSampleClockTimebaseRate = "샘플 클럭 타임베이스 속도",
  kUsageTypeReferenceClockSource = "기준 클럭 소스",
  kUsageTypeReferenceClockRate = "기준 클럭 속도",
  kUsageTypeClockDivisor = "클럭 분주비",
  kUsageTypeNumberOfSamples = "샘플 수",
  kUsageTypeSamplesPerChannel = "채널당 샘플 수",
  kUsageTypeSamplesRequested = "요청된 샘플 수",
  kUsageTypeSamplesAvailable = "사용 가능한 샘플 수",
  kUsageTypeSamplesRead = "읽은 샘플 수",
  kUsageTypeSamplesLost = "손실된 샘플 수",
  kUsageTypeRecordLength = "레코드 길이",
  kUsageTypeBufferSize = "버퍼 크기",
  kUsageTypeRequiredBufferSize = "필요한 버퍼 크기",
  kUsageTypeFifoName = "FIFO 이름",
  kUsageTypeFifoSize = "FIFO 크기",
  kUsageTypeElementsRemaining = "남은 요소 수",
  kUsageTypeTimeout = "시간 제한",
  kUsageTypeElapsedTime = "경과 시간",
  kUsageTypeDataType = "데이터 형식",
  kUsageTypeBytesPerSample = "샘플당 바이트 수",
  kUsageTypeResolution = "분해능",
  kUsageTypeInputRange = "입력 범위",
  kUsageTypeInputImpedance = "입력 임피던스",
  kUsageTypeCoupling = "커플링",
  kUsageTypeNyquistZone = "나이퀴스트 영역",
  kUsageTypeDecimationFilterBand = "데시메이션 필터 대역",
  kUsageTypeScalingGain = "스케일링 게인",
  kUsageTypeScalingOffset = "스케일링 오프셋",

  -- Usage types: triggers
  kUsageTypeTriggerType = "트리거 유형",
  kUsageTypeTriggerSource = "트리거 소스",
  kUsageTypeTriggerLevel = "트리거 레벨",
  kUsageTypeTriggerHysteresis = "트리거 히스테리시스",
  kUsageTypeTriggerSlope = "트리거 기울기",
  kUsageTypeTriggerSensitivity = "트리거 감도",
  kUsageTypeTriggerChannel = "트리거 채널",
  kUsageTypeOutputTerminal = "출력 단자",

  -- Usage types: routing and synchronisation
  kUsageTypeSourceTerminal = "소스 단자",
  kUsageTypeDestinationTerminal = "대상 단자",
  kUsageTypeTerminalName = "단자 이름",
  kUsageTypeRouteId = "경로",
  kUsageTypeRoutingAlias = "라우팅 별칭",
  kUsageTypeSyncSessionReference = "동기화 세션 참조",

  -- Usage types: calibration, limits, registers and FIFOs
  kUsageTypeTemperature = "온도",
  kUsageTypeTemperatureLimit = "온도 제한",
  kUsageTypePower = "전력",
  kUsageTypePowerLimit = "전력 제한",
  kUsageTypeCalibrationDate = "교정 날짜",
  kUsageTypeCalibrationTemperature = "교정 온도",
  kUsageTypeVerificationDate = "검증 날짜",
  kUsageTypeStorageSize = "저장소 크기",
  kUsageTypeStorageOffset = "저장소 오프셋",
  kUsageTypeNumberOfBytes = "바이트 수",
  kUsageTypeRegisterName = "레지스터 이름",
  kUsageTypeRegisterAddress = "레지스터 주소",
  kUsageTypeRegisterOffset = "레지스터 오프셋",
  kUsageTypeFifoNumber = "FIFO 번호",
  kUsageTypeNumberOfInstructions = "명령어 수",

  -- Usage types: requests, software and the system
  kUsageTypeFunctionNumber = "함수 번호",
  kUsageTypeRequestFamily = "요청 패밀리",
  kUsageTypeCommand = "명령",
  kUsageTypeRequestSize = "요청 크기",
  kUsageTypeResponseSize = "응답 크기",
  kUsageTypeStatusCode = "상태 코드",
  kUsageTypeErrorConstant = "오류 상수",
  kUsageTypeComponent = "구성 요소",
  kUsageTypeOperation = "작업",
  kUsageTypeFunctionName = "함수 이름",
  kUsageTypeArgumentName = "인수 이름",
  kUsageTypeArgumentPosition = "인수 위치",
  kUsageTypeArgumentValue = "인수 값",
  kUsageTypeFilePath = "파일 경로",
  kUsageTypeFileName = "파일 이름",
  kUsageTypeLineNumber = "줄 번호",
  kUsageTypeDirectory = "디렉터리",
  kUsageTypeLibraryName = "라이브러리 이름",
  kUsageTypeSymbolName = "기호 이름",
  kUsageTypeSystemErrorCode = "시스템 오류 코드",
  kUsageTypeSystemErrorMessage = "시스템 오류 메시지",
  kUsageTypeRegistryKey = "레지스트리 키",
  kUsageTypeRegistryValueName = "레지스트리 값 이름",
  kUsageTypeTranslatorName = "변환기 이름",
  kUsageTypeLanguage = "언어",

  -- Usage types whose items carry data for tools, not for readers
  kUsageTypeHiddenDebugData = "",
  kUsageTypeFlagDigitsOfPrecision = "",

  -- Auxiliary terms: separators and headers
  kAuxTermItemSeparator = ", ",
  kAuxTermRangeSeparator = " ~ ",
  kAuxTermAnd = " 및 ",
  kAuxTermOr = " 또는 ",
  kAuxTermExplanationHeader = "설명: ",
  kAuxTermPossibleCausesHeader = "가능한 원인: ",
  kAuxTermSuggestedActionHeader = "권장 조치: ",
  kAuxTermStatusCodeHeader = "상태 코드: ",
  kAuxTermAdditionalInformationHeader = "추가 정보: ",
  kAuxTermDebugInformationHeader = "디버그 정보: ",
  kAuxTermCausedByHeader = "원인: ",
  kAuxTermErrorHeader = "오류",
  kAuxTermWarningHeader = "경고",

  -- Auxiliary terms: words that stand for values
  kAuxTermNone = "없음",
  kAuxTermUnknown = "알 수 없음",
  kAuxTermNotApplicable = "해당 없음",
  kAuxTermDefault = "기본값",
  kAuxTermTrue = "참",
  kAuxTermFalse = "거짓",
  kAuxTermEnabled = "활성화됨",
  kAuxTermDisabled = "비활성화됨",
  kAuxTermEntireDevice = "장치 전체",
  kAuxTermAllChannels = "모든 채널",
  kAuxTermSimulatedDevice = "시뮬레이션된 장치",
  kAuxTermReadOnly = "읽기 전용",
  kAuxTermReadWrite = "읽기/쓰기",
  kAuxTermInput = "입력",
  kAuxTermOutput = "출력",
  kAuxTermRisingEdge = "상승 에지",
  kAuxTermFallingEdge = "하강 에지",

  -- Auxiliary terms: units
  kAuxTermUnitSeconds = "초",
  kAuxTermUnitMilliseconds = "밀리초",
  kAuxTermUnitHertz = "Hz",
  kAuxTermUnitSamplesPerSecond = "S/s",
  kAuxTermUnitVolts = "V",
  kAuxTermUnitWatts = "W",
  kAuxTermUnitOhms = "Ω",
  kAuxTermUnitDegreesCelsius = "°C",
  kAuxTermUnitSamples = "샘플",
  kAuxTermUnitBytes = "바이트",
}

usageTypes_kor = terms

-- The term of a key, or nil.
function usageTypes_kor.getString(key)
  local text = rawget(terms, key)
  if type(text) == "string" then
    return text
  end
  return nil
end

-- Prints a table (by default the terms), keys sorted, nested tables indented
-- (diagnostics).
function usageTypes_kor.tprint(t, indent)
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
      usageTypes_kor.tprint(v, indent + 1)
    else
      print(pad .. tostring(k) .. " = " .. string.format("%q", tostring(v)))
    end
  end
end

return usageTypes_kor
