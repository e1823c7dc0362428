-- A translator script for the host's tests. Each description records its
-- arguments in testxlator.last; a test may install testxlator.static or
-- testxlator.dynamic to decide the result, otherwise the static description
-- is "static <code>" and the dynamic one the context text itself.

testxlator = { last = {} }

function testxlator.getStaticDesc(code, lang, ade)
  testxlator.last = { code = code, lang = lang, ade = ade }
  if testxlator.static then
    return testxlator.static(code, lang, ade)
  end
  return "static " .. code
end

function testxlator.getDynamicDesc(errjson, lang, ade, format)
  testxlator.last = { errjson = errjson, lang = lang, ade = ade, format = format }
  if testxlator.dynamic then
    return testxlator.dynamic(errjson, lang, ade, format)
  end
  return errjson
end

return testxlator
