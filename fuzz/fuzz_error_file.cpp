// libFuzzer target for error-explanation files. The first byte chooses the
// language; the rest is written as a file into that language's folder of a
// scratch errors directory, which is then searched for two codes: the one the
// first error start names and one the file is unlikely to hold. A search of
// the same bytes in memory must give exactly what the search on disk gave,
// and a description found converts from the language's code page or fails
// with a status.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "status/status.h"
#include "xlator/error_file_translator.h"
#include "xlator/language.h"

namespace {

using vofuzz::check;

struct Folders {
  std::string errors;
  std::string file[voxlator::kLanguageCount];
};

const Folders& folders() {
  static const Folders made = [] {
    Folders f;
    f.errors = vofuzz::scratchDir() + "/errors";
    for (uint32_t language = 0; language < voxlator::kLanguageCount; ++language) {
      const std::string dir = f.errors + "/" + voxlator::languageDirectoryName(language);
      std::filesystem::create_directories(dir);
      f.file[language] = dir + "/fuzz.txt";
    }
    return f;
  }();
  return made;
}

// The code of the first error start, read as the translator reads it ("%i").
int32_t firstNamedCode(std::string_view content) {
  constexpr std::string_view kStart = "<voerror code=\"";
  const size_t at = content.find(kStart);
  if (at == std::string_view::npos) return -52005;
  const std::string rest(content.substr(at + kStart.size(), 24));
  return static_cast<int32_t>(std::strtol(rest.c_str(), nullptr, 0));
}

void searchOnce(uint32_t language, std::string_view content, int32_t code) {
  const Folders& f = folders();
  voerr::Status inDir;
  std::string fromDir;
  voxlator::findDescriptionInErrorsDir(f.errors, code, language, fromDir, inDir);

  voerr::Status inFile;
  std::string fromFile;
  voxlator::findDescriptionInFile(f.file[language], code, fromFile, inFile);
  voerr::Status inText;
  std::string fromText;
  voxlator::findDescriptionInText(content, code, fromText, inText);

  check(inFile.code() == inText.code(), "file and memory searches disagree on the status");
  check(fromFile == fromText, "file and memory searches found different text", fromFile);
  if (inFile.isError()) check(fromFile.empty(), "a failed search left text behind");
  // The language folder holds only this file, the folder above only folders:
  // the directory search is the file search.
  check(inDir.code() == inFile.code(), "directory search disagrees with the file search");
  check(fromDir == fromFile, "directory search found different text", fromDir);

  if (!fromFile.empty()) {
    voerr::Status converted;
    std::string utf8;
    voxlator::mbsToUtf8(language, fromFile, utf8, converted);
    check(converted.code() == 0 || converted.code() == -52027, "unexpected conversion status");
    if (converted.isError()) check(utf8.empty(), "a failed conversion left text behind");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint32_t language = data[0] % voxlator::kLanguageCount;
  const std::string_view content(reinterpret_cast<const char*>(data) + 1, size - 1);
  vofuzz::writeFile(folders().file[language], content);
  searchOnce(language, content, firstNamedCode(content));
  searchOnce(language, content, 0x7fff1234);
  std::remove(folders().file[language].c_str());
  return 0;
}
