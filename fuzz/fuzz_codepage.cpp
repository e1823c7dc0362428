// libFuzzer target for converting UTF-8 text into each language's code page
// (the Graphyx error text). Invalid UTF-8 must fail with -52027 and no text;
// valid text must convert, and decoding the result back must give the input
// character by character, except where a character the code page lacks was
// written as '?'.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "platform/textconv.h"
#include "status/status.h"
#include "xlator/error_text.h"
#include "xlator/language.h"

namespace {

using vofuzz::check;

std::vector<char32_t> codePoints(std::u16string_view text) {
  std::vector<char32_t> out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      out.push_back(0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::u16string wide;
  const bool valid = voplat::utf8ToUtf16(text, wide) == voplat::ConvResult::ok;
  const std::vector<char32_t> input = codePoints(wide);

  for (uint32_t language = 0; language < voxlator::kLanguageCount; ++language) {
    voerr::Status status;
    std::string converted;
    voxlator::utf8ToLanguageCodePage(language, text, converted, status);
    if (!valid) {
      check(status.code() == -52027 && converted.empty(), "invalid UTF-8 was converted");
      continue;
    }
    check(status.code() == 0, "valid UTF-8 failed to convert", text);

    std::u16string back;
    const uint32_t codePage = voxlator::languageCodePage(language);
    check(voplat::codePageToUtf16(codePage, converted, back) == voplat::ConvResult::ok,
          "the converted text does not decode", converted);
    const std::vector<char32_t> output = codePoints(back);
    check(output.size() == input.size(), "character count changed", converted);
    for (size_t i = 0; i < input.size(); ++i) {
      check(output[i] == input[i] || output[i] == U'?', "a character came back changed", text);
    }
  }
  return 0;
}
