-- Terms of the error reports of votarsinapi, German: the names of the
-- quantities that error contexts report (keys kUsageType...) and auxiliary
-- phrases (keys kAuxTerm...). The six term tables have the same keys.
--
-- This source is UTF-8. The build stores its text in code page 1252, the form
-- in which the translator script reads it and converts it with
-- voxlatorluautils.mbsToUtf8.

local terms = {
  -- Usage types: the device and its session
  kUsageTypeDevice = "Gerät",
  kUsageTypeResourceName = "Ressourcenname",
  kUsageTypeSession = "Sitzung",
  kUsageTypeSessionHandle = "Sitzungs-Handle",
  kUsageTypeSerialNumber = "Seriennummer",
  kUsageTypeProductName = "Produktname",
  kUsageTypeSlotNumber = "Steckplatznummer",
  kUsageTypeChassisNumber = "Chassisnummer",
  kUsageTypeDriverVersion = "Treiberversion",
  kUsageTypeFirmwareVersion = "Firmware-Version",
  kUsageTypeFpgaImage = "FPGA-Image",
  kUsageTypeBitfilePath = "Pfad der Bitdatei",
  kUsageTypeBitfileSignature = "Signatur der Bitdatei",
  kUsageTypeIoModule = "E/A-Modul",
  kUsageTypeIoModuleId = "E/A-Modul-ID",
  kUsageTypeVendorId = "Hersteller-ID",
  kUsageTypeProductId = "Produkt-ID",

  -- Usage types: channels and streams
  kUsageTypeChannelName = "Kanalname",
  kUsageTypeChannelList = "Kanalliste",
  kUsageTypeChannelNumber = "Kanalnummer",
  kUsageTypeActiveChannel = "Aktiver Kanal",
  kUsageTypeInvalidChannel = "Ungültiger Kanal",
  kUsageTypeValidChannelNames = "Gültige Kanalnamen",
  kUsageTypeNumberOfChannels = "Anzahl der Kanäle",
  kUsageTypeEnabledChannels = "Aktivierte Kanäle",
  kUsageTypeStreamNumber = "Stream-Nummer",
  kUsageTypeStreamState = "Stream-Zustand",

  -- Usage types: attributes and their values
  kUsageTypeAttributeId = "Attribut-ID",
  kUsageTypeAttributeIdentifier = "Eigenschaft",
  kUsageTypeAffectedAttribute = "Betroffene Eigenschaft",
  kUsageTypeConflictingAttr = "Widersprüchliches Attribut",
  kUsageTypeConflictingProperty = "Widersprüchliche Eigenschaft",
  kUsageTypeAttributeName = "Attributname",
  kUsageTypeValueType = "Werttyp",
  kUsageTypeExpectedValueType = "Erwarteter Werttyp",
  kUsageTypeRequestedValue = "Angeforderter Wert",
  kUsageTypeCurrentValue = "Aktueller Wert",
  kUsageTypeCoercedValue = "Angepasster Wert",
  kUsageTypeDefaultValue = "Standardwert",
  kUsageTypeConflictingValue = "Widersprüchlicher Wert",
  kUsageTypeValidValues = "Gültige Werte",
  kUsageTypeMinimumValue = "Minimalwert",
  kUsageTypeMaximumValue = "Maximalwert",
  kUsageTypeIncrement = "Schrittweite",
  kUsageTypeUnits = "Einheiten",

  -- Usage types: acquisition
  kUsageTypeSampleRate = "Abtastrate",
  kUsageTypeRequestedSampleRate = "Angeforderte Abtastrate",
  kUsageTypeActualSampleRate = "Tatsächliche Abtastrate",
  kUsageTypeMaximumSampleRate = "Maximale Abtastrate",
  kUsageTypeSampleClockSource = "Quelle des Abtasttakts",
  kUsageTypeSampleClockTimebaseRate = "Frequenz der Abtasttakt-Zeitbasis",
  kUsageTypeReferenceClockSource = "Quelle des Referenztakts",
  kUsageTypeReferenceClockRate = "Frequenz des Referenztakts",
  kUsageTypeClockDivisor = "Taktteiler",
  kUsageTypeNumberOfSamples = "Anzahl der Abtastwerte",
  kUsageTypeSamplesPerChannel = "Abtastwerte pro Kanal",
  kUsageTypeSamplesRequested = "Angeforderte Abtastwerte",
  kUsageTypeSamplesAvailable = "Verfügbare Abtastwerte",
  kUsageTypeSamplesRead = "Gelesene Abtastwerte",
  kUsageTypeSamplesLost = "Verlorene Abtastwerte",
  kUsageTypeRecordLength = "Datensatzlänge",
  kUsageTypeBufferSize = "Puffergröße",
  kUsageTypeRequiredBufferSize = "Erforderliche Puffergröße",
  kUsageTypeFifoName = "FIFO-Name",
  kUsageTypeFifoSize = "FIFO-Größe",
  kUsageTypeElementsRemaining = "Verbleibende Elemente",
  kUsageTypeTimeout = "Zeitlimit",
  kUsageTypeElapsedTime = "Verstrichene Zeit",
  kUsageTypeDataType = "Datentyp",
  kUsageTypeBytesPerSample = "Bytes pro Abtastwert",
  kUsageTypeResolution = "Auflösung",
  kUsageTypeInputRange = "Eingangsbereich",
  kUsageTypeInputImpedance = "Eingangsimpedanz",
  kUsageTypeCoupling = "Kopplung",
  kUsageTypeNyquistZone = "Nyquist-Zone",
  kUsageTypeDecimationFilterBand = "Band des Dezimierungsfilters",
  kUsageTypeScalingGain = "Skalierungsverstärkung",
  kUsageTypeScalingOffset = "Skalierungs-Offset",

  -- Usage types: triggers
  kUsageTypeTriggerType = "Triggertyp",
  kUsageTypeTriggerSource = "Triggerquelle",
  kUsageTypeTriggerLevel = "Triggerpegel",
  kUsageTypeTriggerHysteresis = "Trigger-Hysterese",
  kUsageTypeTriggerSlope = "Triggerflanke",
  kUsageTypeTriggerSensitivity = "Triggerempfindlichkeit",
  kUsageTypeTriggerChannel = "Triggerkanal",
  kUsageTypeOutputTerminal = "Ausgangsanschluss",

  -- Usage types: routing and synchronisation
  kUsageTypeSourceTerminal = "Quellanschluss",
  kUsageTypeDestinationTerminal = "Zielanschluss",
  kUsageTypeTerminalName = "Anschlussname",
  kUsageTypeRouteId = "Route",
  kUsageTypeRoutingAlias = "Routing-Alias",
  kUsageTypeSyncSessionReference = "Referenz der Synchronisationssitzung",

  -- Usage types: calibration, limits, registers and FIFOs
  kUsageTypeTemperature = "Temperatur",
  kUsageTypeTemperatureLimit = "Temperaturgrenze",
  kUsageTypePower = "Leistung",
  kUsageTypePowerLimit = "Leistungsgrenze",
  kUsageTypeCalibrationDate = "Kalibrierdatum",
  kUsageTypeCalibrationTemperature = "Kalibriertemperatur",
  kUsageTypeVerificationDate = "Verifizierungsdatum",
  kUsageTypeStorageSize = "Speichergröße",
  kUsageTypeStorageOffset = "Speicher-Offset",
  kUsageTypeNumberOfBytes = "Anzahl der Bytes",
  kUsageTypeRegisterName = "Registername",
  kUsageTypeRegisterAddress = "Registeradresse",
  kUsageTypeRegisterOffset = "Register-Offset",
  kUsageTypeFifoNumber = "FIFO-Nummer",
  kUsageTypeNumberOfInstructions = "Anzahl der Befehle",

  -- Usage types: requests, software and the system
  kUsageTypeFunctionNumber = "Funktionsnummer",
  kUsageTypeRequestFamily = "Anforderungsfamilie",
  kUsageTypeCommand = "Befehl",
  kUsageTypeRequestSize = "Anforderungsgröße",
  kUsageTypeResponseSize = "Antwortgröße",
  kUsageTypeStatusCode = "Statuscode",
  kUsageTypeErrorConstant = "Fehlerkonstante",
  kUsageTypeComponent = "Komponente",
  kUsageTypeOperation = "Vorgang",
  kUsageTypeFunctionName = "Funktionsname",
  kUsageTypeArgumentName = "Argumentname",
  kUsageTypeArgumentPosition = "Argumentposition",
  kUsageTypeArgumentValue = "Argumentwert",
  kUsageTypeFilePath = "Dateipfad",
  kUsageTypeFileName = "Dateiname",
  kUsageTypeLineNumber = "Zeilennummer",
  kUsageTypeDirectory = "Verzeichnis",
  kUsageTypeLibraryName = "Bibliotheksname",
  kUsageTypeSymbolName = "Symbolname",
  kUsageTypeSystemErrorCode = "Systemfehlercode",
  kUsageTypeSystemErrorMessage = "Systemfehlermeldung",
  kUsageTypeRegistryKey = "Registrierungsschlüssel",
  kUsageTypeRegistryValueName = "Name des Registrierungswerts",
  kUsageTypeTranslatorName = "Name des Übersetzers",
  kUsageTypeLanguage = "Sprache",

  -- Usage types whose items carry data for tools, not for readers
  kUsageTypeHiddenDebugData = "",
  kUsageTypeFlagDigitsOfPrecision = "",

  -- Auxiliary terms: separators and headers
  kAuxTermItemSeparator = ", ",
  kAuxTermRangeSeparator = " bis ",
  kAuxTermAnd = " und ",
  kAuxTermOr = " oder ",
  kAuxTermExplanationHeader = "Erläuterung: ",
  kAuxTermPossibleCausesHeader = "Mögliche Ursachen: ",
  kAuxTermSuggestedActionHeader = "Empfohlene Maßnahme: ",
  kAuxTermStatusCodeHeader = "Statuscode: ",
  kAuxTermAdditionalInformationHeader = "Zusätzliche Informationen: ",
  kAuxTermDebugInformationHeader = "Debug-Informationen: ",
  kAuxTermCausedByHeader = "Verursacht durch: ",
  kAuxTermErrorHeader = "Fehler",
  kAuxTermWarningHeader = "Warnung",

  -- Auxiliary terms: words that stand for values
  kAuxTermNone = "Keine",
  kAuxTermUnknown = "Unbekannt",
  kAuxTermNotApplicable = "Nicht zutreffend",
  kAuxTermDefault = "Standard",
  kAuxTermTrue = "Wahr",
  kAuxTermFalse = "Falsch",
  kAuxTermEnabled = "Aktiviert",
  kAuxTermDisabled = "Deaktiviert",
  kAuxTermEntireDevice = "Gesamtes Gerät",
  kAuxTermAllChannels = "Alle Kanäle",
  kAuxTermSimulatedDevice = "Simuliertes Gerät",
  kAuxTermReadOnly = "Schreibgeschützt",
  kAuxTermReadWrite = "Lesen/Schreiben",
  kAuxTermInput = "Eingang",
  kAuxTermOutput = "Ausgang",
  kAuxTermRisingEdge = "Steigende Flanke",
  kAuxTermFallingEdge = "Fallende Flanke",

  -- Auxiliary terms: units
  kAuxTermUnitSeconds = "Sekunden",
  kAuxTermUnitMilliseconds = "Millisekunden",
  kAuxTermUnitHertz = "Hz",
  kAuxTermUnitSamplesPerSecond = "S/s",
  kAuxTermUnitVolts = "V",
  kAuxTermUnitWatts = "W",
  kAuxTermUnitOhms = "Ohm",
  kAuxTermUnitDegreesCelsius = "°C",
  kAuxTermUnitSamples = "Abtastwerte",
  kAuxTermUnitBytes = "Bytes",
}

usageTypes_deu = terms

-- The term of a key, or nil.
function usageTypes_deu.getString(key)
  local text = rawget(terms, key)
  if type(text) == "string" then
    return text
  end
  return nil
end

-- Prints a table (by default the terms), keys sorted, nested tables indented
-- (diagnostics).
function usageTypes_deu.tprint(t, indent)
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
      usageTypes_deu.tprint(v, indent + 1)
    else
      print(pad .. tostring(k) .. " = " .. string.format("%q", tostring(v)))
    end
  end
end

return usageTypes_deu
