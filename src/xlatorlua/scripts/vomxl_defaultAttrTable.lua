-- The attribute table of a translator that knows no attributes: every lookup
-- misses, so attribute identifiers are shown as hexadecimal numbers.

vomxl_defaultAttrTable = {}

function vomxl_defaultAttrTable.getAttribute(attrID)
  return nil
end

return vomxl_defaultAttrTable
