-- Language names used by the translator scripts: the three-letter codes that
-- name the script tables (commonTerms_fra, votarsinapi_attributes_eng, ...)
-- and the directory names of the error-description folders.
--
-- Defines the global vomxl_utilities; require yields true.

vomxl_utilities = {}

local shortToLong = {
  eng = "English",
  jpn = "Japanese",
  chs = "ChineseS",
  fra = "French",
  deu = "German",
  kor = "Korean",
  zzz = "Zzzzzzz", -- the code of a language index that has no name
}

local longToShort = {}
for short, long in pairs(shortToLong) do
  if short ~= "zzz" then
    longToShort[long] = short
  end
end

-- "fra" -> "French"; nil for an unknown code.
function vomxl_utilities.convertLangShortToLong(short)
  return shortToLong[short]
end

-- "French" -> "fra"; nil for an unknown directory name.
function vomxl_utilities.convertLangLongToShort(long)
  return longToShort[long]
end
