-- Terms of the error reports of votarsinapi, French: the names of the
-- quantities that error contexts report (keys kUsageType...) and auxiliary
-- phrases (keys kAuxTerm...). The six term tables have the same keys.
--
-- This source is UTF-8. The build stores its text in code page 1252, the form
-- in which the translator script reads it and converts it with
-- voxlatorluautils.mbsToUtf8.

local terms = {
  -- Usage types: the device and its session
  kUsageTypeDevice = "Périphérique",
  kUsageTypeResourceName = "Nom de la ressource",
  kUsageTypeSession = "Session",
  kUsageTypeSessionHandle = "Descripteur de session",
  kUsageTypeSerialNumber = "Numéro de série",
  kUsageTypeProductName = "Nom du produit",
  kUsageTypeSlotNumber = "Numéro d'emplacement",
  kUsageTypeChassisNumber = "Numéro de châssis",
  kUsageTypeDriverVersion = "Version du pilote",
  kUsageTypeFirmwareVersion = "Version du micrologiciel",
  kUsageTypeFpgaImage = "Image FPGA",
  kUsageTypeBitfilePath = "Chemin du fichier de configuration FPGA",
  kUsageTypeBitfileSignature = "Signature du fichier de configuration FPGA",
  kUsageTypeIoModule = "Module d'E/S",
  kUsageTypeIoModuleId = "Identifiant du module d'E/S",
  kUsageTypeVendorId = "Identifiant du fabricant",
  kUsageTypeProductId = "Identifiant du produit",

  -- Usage types: channels and streams
  kUsageTypeChannelName = "Nom de la voie",
  kUsageTypeChannelList = "Liste de voies",
  kUsageTypeChannelNumber = "Numéro de voie",
  kUsageTypeActiveChannel = "Voie active",
  kUsageTypeInvalidChannel = "Voie non valide",
  kUsageTypeValidChannelNames = "Noms de voies valides",
  kUsageTypeNumberOfChannels = "Nombre de voies",
  kUsageTypeEnabledChannels = "Voies activées",
  kUsageTypeStreamNumber = "Numéro de flux",
  kUsageTypeStreamState = "État du flux",

  -- Usage types: attributes and their values
  kUsageTypeAttributeId = "ID d'attribut",
  kUsageTypeAttributeIdentifier = "Propriété",
  kUsageTypeAffectedAttribute = "Propriété concernée",
  kUsageTypeConflictingAttr = "Attribut en conflit",
  kUsageTypeConflictingProperty = "Propriété en conflit",
  kUsageTypeAttributeName = "Nom de l'attribut",
  kUsageTypeValueType = "Type de valeur",
  kUsageTypeExpectedValueType = "Type de valeur attendu",
  kUsageTypeRequestedValue = "Valeur demandée",
  kUsageTypeCurrentValue = "Valeur actuelle",
  kUsageTypeCoercedValue = "Valeur ajustée",
  kUsageTypeDefaultValue = "Valeur par défaut",
  kUsageTypeConflictingValue = "Valeur en conflit",
  kUsageTypeValidValues = "Valeurs valides",
  kUsageTypeMinimumValue = "Valeur minimale",
  kUsageTypeMaximumValue = "Valeur maximale",
  kUsageTypeIncrement = "Incrément",
  kUsageTypeUnits = "Unités",

  -- Usage types: acquisition
  kUsageTypeSampleRate = "Fréquence d'échantillonnage",
  kUsageTypeRequestedSampleRate = "Fréquence d'échantillonnage demandée",
  kUsageTypeActualSampleRate = "Fréquence d'échantillonnage réelle",
  kUsageTypeMaximumSampleRate = "Fréquence d'échantillonnage maximale",
  kUsageTypeSampleClockSource = "Source de l'horloge d'échantillonnage",
  kUsageTypeSampleClockTimebaseRate = "Fréquence de la base de temps d'échantillonnage",
  kUsageTypeReferenceClockSource = "Source de l'horloge de référence",
  kUsageTypeReferenceClockRate = "Fréquence de l'horloge de référence",
  kUsageTypeClockDivisor = "Diviseur d'horloge",
  kUsageTypeNumberOfSamples = "Nombre d'échantillons",
  kUsageTypeSamplesPerChannel = "Échantillons par voie",
  kUsageTypeSamplesRequested = "Échantillons demandés",
  kUsageTypeSamplesAvailable = "Échantillons disponibles",
  kUsageTypeSamplesRead = "Échantillons lus",
  kUsageTypeSamplesLost = "Échantillons perdus",
  kUsageTypeRecordLength = "Longueur d'enregistrement",
  kUsageTypeBufferSize = "Taille du tampon",
  kUsageTypeRequiredBufferSize = "Taille de tampon requise",
  kUsageTypeFifoName = "Nom de la FIFO",
  kUsageTypeFifoSize = "Taille de la FIFO",
  kUsageTypeElementsRemaining = "Éléments restants",
  kUsageTypeTimeout = "Délai d'attente",
  kUsageTypeElapsedTime = "Temps écoulé",
  kUsageTypeDataType = "Type de données",
  kUsageTypeBytesPerSample = "Octets par échantillon",
  kUsageTypeResolution = "Résolution",
  kUsageTypeInputRange = "Plage d'entrée",
  kUsageTypeInputImpedance = "Impédance d'entrée",
  kUsageTypeCoupling = "Couplage",
  kUsageTypeNyquistZone = "Zone de Nyquist",
  kUsageTypeDecimationFilterBand = "Bande du filtre de décimation",
  kUsageTypeScalingGain = "Gain de mise à l'échelle",
  kUsageTypeScalingOffset = "Décalage de mise à l'échelle",

  -- Usage types: triggers
  kUsageTypeTriggerType = "Type de déclenchement",
  kUsageTypeTriggerSource = "Source de déclenchement",
  kUsageTypeTriggerLevel = "Niveau de déclenchement",
  kUsageTypeTriggerHysteresis = "Hystérésis de déclenchement",
  kUsageTypeTriggerSlope = "Pente de déclenchement",
  kUsageTypeTriggerSensitivity = "Sensibilité de déclenchement",
  kUsageTypeTriggerChannel = "Voie de déclenchement",
  kUsageTypeOutputTerminal = "Borne de sortie",

  -- Usage types: routing and synchronisation
  kUsageTypeSourceTerminal = "Borne source",
  kUsageTypeDestinationTerminal = "Borne de destination",
  kUsageTypeTerminalName = "Nom de la borne",
  kUsageTypeRouteId = "Route",
  kUsageTypeRoutingAlias = "Alias de routage",
  kUsageTypeSyncSessionReference = "Référence de session de synchronisation",

  -- Usage types: calibration, limits, registers and FIFOs
  kUsageTypeTemperature = "Température",
  kUsageTypeTemperatureLimit = "Limite de température",
  kUsageTypePower = "Puissance",
  kUsageTypePowerLimit = "Limite de puissance",
  kUsageTypeCalibrationDate = "Date d'étalonnage",
  kUsageTypeCalibrationTemperature = "Température d'étalonnage",
  kUsageTypeVerificationDate = "Date de vérification",
  kUsageTypeStorageSize = "Taille de la mémoire",
  kUsageTypeStorageOffset = "Décalage dans la mémoire",
  kUsageTypeNumberOfBytes = "Nombre d'octets",
  kUsageTypeRegisterName = "Nom du registre",
  kUsageTypeRegisterAddress = "Adresse du registre",
  kUsageTypeRegisterOffset = "Décalage du registre",
  kUsageTypeFifoNumber = "Numéro de la FIFO",
  kUsageTypeNumberOfInstructions = "Nombre d'instructions",

  -- Usage types: requests, software and the system
  kUsageTypeFunctionNumber = "Numéro de fonction",
  kUsageTypeRequestFamily = "Famille de requêtes",
  kUsageTypeCommand = "Commande",
  kUsageTypeRequestSize = "Taille de la requête",
  kUsageTypeResponseSize = "Taille de la réponse",
  kUsageTypeStatusCode = "Code d'état",
  kUsageTypeErrorConstant = "Constante d'erreur",
  kUsageTypeComponent = "Composant",
  kUsageTypeOperation = "Opération",
  kUsageTypeFunctionName = "Nom de la fonction",
  kUsageTypeArgumentName = "Nom de l'argument",
  kUsageTypeArgumentPosition = "Position de l'argument",
  kUsageTypeArgumentValue = "Valeur de l'argument",
  kUsageTypeFilePath = "Chemin du fichier",
  kUsageTypeFileName = "Nom du fichier",
  kUsageTypeLineNumber = "Numéro de ligne",
  kUsageTypeDirectory = "Répertoire",
  kUsageTypeLibraryName = "Nom de la bibliothèque",
  kUsageTypeSymbolName = "Nom du symbole",
  kUsageTypeSystemErrorCode = "Code d'erreur système",
  kUsageTypeSystemErrorMessage = "Message d'erreur système",
  kUsageTypeRegistryKey = "Clé de registre",
  kUsageTypeRegistryValueName = "Nom de la valeur de registre",
  kUsageTypeTranslatorName = "Nom du traducteur",
  kUsageTypeLanguage = "Langue",

  -- Usage types whose items carry data for tools, not for readers
  kUsageTypeHiddenDebugData = "",
  kUsageTypeFlagDigitsOfPrecision = "",

  -- Auxiliary terms: separators and headers
  kAuxTermItemSeparator = ", ",
  kAuxTermRangeSeparator = " à ",
  kAuxTermAnd = " et ",
  kAuxTermOr = " ou ",
  kAuxTermExplanationHeader = "Explication : ",
  kAuxTermPossibleCausesHeader = "Causes possibles : ",
  kAuxTermSuggestedActionHeader = "Action recommandée : ",
  kAuxTermStatusCodeHeader = "Code d'état : ",
  kAuxTermAdditionalInformationHeader = "Informations complémentaires : ",
  kAuxTermDebugInformationHeader = "Informations de débogage : ",
  kAuxTermCausedByHeader = "Causé par : ",
  kAuxTermErrorHeader = "Erreur",
  kAuxTermWarningHeader = "Avertissement",

  -- Auxiliary terms: words that stand for values
  kAuxTermNone = "Aucun",
  kAuxTermUnknown = "Inconnu",
  kAuxTermNotApplicable = "Sans objet",
  kAuxTermDefault = "Par défaut",
  kAuxTermTrue = "Vrai",
  kAuxTermFalse = "Faux",
  kAuxTermEnabled = "Activé",
  kAuxTermDisabled = "Désactivé",
  kAuxTermEntireDevice = "Périphérique entier",
  kAuxTermAllChannels = "Toutes les voies",
  kAuxTermSimulatedDevice = "Périphérique simulé",
  kAuxTermReadOnly = "Lecture seule",
  kAuxTermReadWrite = "Lecture/écriture",
  kAuxTermInput = "Entrée",
  kAuxTermOutput = "Sortie",
  kAuxTermRisingEdge = "Front montant",
  kAuxTermFallingEdge = "Front descendant",

  -- Auxiliary terms: units
  kAuxTermUnitSeconds = "secondes",
  kAuxTermUnitMilliseconds = "millisecondes",
  kAuxTermUnitHertz = "Hz",
  kAuxTermUnitSamplesPerSecond = "éch./s",
  kAuxTermUnitVolts = "V",
  kAuxTermUnitWatts = "W",
  kAuxTermUnitOhms = "ohms",
  kAuxTermUnitDegreesCelsius = "°C",
  kAuxTermUnitSamples = "échantillons",
  kAuxTermUnitBytes = "octets",
}

usageTypes_fra = terms

-- The term of a key, or nil.
function usageTypes_fra.getString(key)
  local text = rawget(terms, key)
  if type(text) == "string" then
    return text
  end
  return nil
end

-- Prints a table (by default the terms), keys sorted, nested tables indented
-- (diagnostics).
function usageTypes_fra.tprint(t, indent)
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
      usageTypes_fra.tprint(v, indent + 1)
    else
      print(pad .. tostring(k) .. " = " .. string.format("%q", tostring(v)))
    end
  end
end

return usageTypes_fra
