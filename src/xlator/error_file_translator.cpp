#include "xlator/error_file_translator.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "platform/files.h"
#include "status/codes.h"
#include "sysq/standard_paths.h"
#include "xlator/language.h"
#include "xlator/scan_integer.h"

namespace voxlator {

namespace {

// ---- The file parser --------------------------------------------------------
//
// The file is read whole and scanned in memory. The scan yields exactly the
// lines that reading the file in text mode with a 1024-byte line buffer would
// yield: "\r\n" becomes "\n" and a Ctrl-Z ends the text before the lines are
// cut; a line ends after its '\n' or after 1023 bytes; and a NUL byte ends
// the line's text as seen by every comparison and by the description.

constexpr size_t kLineBytes = 1023;
constexpr char kCtrlZ = '\x1a';

constexpr std::string_view kHeader = "<?xml version=\"1.0\"";  // 19 characters
constexpr std::string_view kDocumentStart = "<vodocument>";
constexpr std::string_view kDocumentEnd = "</vodocument>";
constexpr std::string_view kErrorStart = "<voerror code=\"";  // 15 characters
constexpr std::string_view kErrorEnd = "</voerror>";
constexpr std::string_view kCommentStart = "<vocomment>";
constexpr std::string_view kCommentEnd = "</vocomment>";

char foldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Markers are lower case; the line's letters are folded.
bool startsWithMarker(std::string_view line, std::string_view marker) {
  if (line.size() < marker.size()) return false;
  for (size_t i = 0; i < marker.size(); ++i) {
    if (foldAscii(line[i]) != marker[i]) return false;
  }
  return true;
}

class LineReader {
 public:
  explicit LineReader(std::string_view text)
      : next_(text.data()),
        end_(text.data() + text.size()),
        hasNul_(!text.empty() && std::memchr(text.data(), '\0', text.size()) != nullptr) {}

  // The next line's text (up to its first NUL); false at the end.
  bool next(std::string_view& line) {
    if (next_ == end_) return false;
    const size_t room = std::min(static_cast<size_t>(end_ - next_), kLineBytes);
    const auto* newline = static_cast<const char*>(std::memchr(next_, '\n', room));
    const char* stop = newline != nullptr ? newline + 1 : next_ + room;
    line = std::string_view(next_, static_cast<size_t>(stop - next_));
    next_ = stop;
    if (hasNul_) {
      if (const void* nul = std::memchr(line.data(), '\0', line.size())) {
        line = line.substr(0, static_cast<size_t>(static_cast<const char*>(nul) - line.data()));
      }
    }
    return true;
  }

 private:
  const char* next_;
  const char* end_;
  bool hasNul_;
};

// Text-mode reading of a file's bytes: the text ends at the first Ctrl-Z and
// every "\r\n" becomes "\n" (a lone '\r' stays). Works in place.
void toTextMode(std::string& bytes) {
  if (const size_t z = bytes.find(kCtrlZ); z != std::string::npos) bytes.resize(z);
  const size_t first = bytes.find("\r\n");
  if (first == std::string::npos) return;
  char* data = bytes.data();
  const size_t size = bytes.size();
  size_t out = first;
  size_t in = first;
  while (in < size) {
    if (data[in] == '\r' && in + 1 < size && data[in + 1] == '\n') {
      ++in;  // the '\r' of a pair is dropped
      continue;
    }
    // Move the run up to the next '\r' in one piece.
    const auto* cr = static_cast<const char*>(std::memchr(data + in + 1, '\r', size - in - 1));
    const size_t stop = cr != nullptr ? static_cast<size_t>(cr - data) : size;
    std::memmove(data + out, data + in, stop - in);
    out += stop - in;
    in = stop;
  }
  bytes.resize(out);
}

bool needsTextMode(std::string_view bytes) {
  return bytes.find(kCtrlZ) != std::string_view::npos ||
         bytes.find("\r\n") != std::string_view::npos;
}

void raiseParseError(voerr::Status& status, const char* debug) {
  VOERR_RAISE(status, voerr::kResourceNotFound, voerr::kResourceNotFoundName)
      .object("voxlator_debug", {{"debug", debug}});
}

// Removes every character after the last one that is neither '\r' nor
// '\n'; a text made only of line ends stays as it is.
void trimLineEnds(std::string& text) {
  const size_t last = text.find_last_not_of("\r\n");
  if (last != std::string::npos) text.erase(last + 1);
}

// The scan proper over text-mode content.
void scanText(std::string_view text, int32_t code, std::string& out, voerr::Status& status) {
  LineReader reader(text);
  std::string_view line;
  if (!reader.next(line) || !startsWithMarker(line, kHeader)) return;
  if (!reader.next(line) || !startsWithMarker(line, kDocumentStart)) return;

  while (reader.next(line)) {
    if (line.empty() || line.front() != '<') {
      if (line.empty()) {
        // A line whose first byte is NUL (an empty text can only come from
        // one: every other line holds at least its '\n' or a byte).
        raiseParseError(status, "Bad explanation file. Unidentified section heading !");
        return;
      }
      continue;
    }
    if (startsWithMarker(line, kDocumentEnd)) return;

    if (startsWithMarker(line, kErrorStart)) {
      int value = 0;
      const int scanned = scanInteger(line.substr(kErrorStart.size()), value);
      if (scanned != 1) {
        VOERR_RAISE(status, voerr::kResourceNotFound, voerr::kResourceNotFoundName)
            .object("voxlator_debug", {{"debug", "Could not successfully read the status data!"},
                                       {"sscanf", static_cast<int32_t>(scanned)}});
        return;
      }
      const bool match = value == code;
      for (;;) {
        if (!reader.next(line)) {
          out.clear();
          raiseParseError(
              status,
              "Bad explanation file. Could not find the end of the status code definition !");
          return;
        }
        if (!line.empty() && line.front() == '<' && startsWithMarker(line, kErrorEnd)) break;
        if (match) out.append(line);
      }
      if (match) {
        trimLineEnds(out);
        return;
      }
      continue;
    }

    if (startsWithMarker(line, kCommentStart)) {
      while (reader.next(line)) {
        if (!line.empty() && line.front() == '<' && startsWithMarker(line, kCommentEnd)) break;
      }
      continue;
    }
    // Any other line outside an error is ignored.
  }
}

// ---- Directory search -------------------------------------------------------

// The original platform's C runtime numbers and texts for the errors that a
// directory search reports.
constexpr int32_t kErrnoNoEntry = 2;
constexpr int32_t kErrnoNoMemory = 12;
constexpr int32_t kErrnoInvalid = 22;
constexpr int32_t kErrnoNameTooLong = 38;

const char* errnoText(int32_t number) {
  switch (number) {
    case kErrnoNoEntry:
      return "No such file or directory";
    case kErrnoNoMemory:
      return "Not enough space";
    case kErrnoInvalid:
      return "Invalid argument";
    case kErrnoNameTooLong:
      return "Filename too long";
    default:
      return "Unknown error";
  }
}

// Longest directory or file path, and file name, that a listing handles.
constexpr size_t kMaxPathBytes = 4094;
constexpr size_t kMaxNameBytes = 256;

void raiseDirError(voerr::Status& status, int32_t number, const char* debugKey,
                   const char* debugText, const std::string& directory) {
  VOERR_RAISE(status, voerr::kResourceNotFound, voerr::kResourceNotFoundName)
      .internalError("errno", number, errnoText(number))
      .object("voxlator_debug", {{debugKey, debugText}, {"path", directory}});
}

void raiseNoMemory(voerr::Status& status) {
  VOERR_RAISE(status, voerr::kMemoryFull, voerr::kMemoryFullName)
      .object("voxlator_debug", {{"voxlator", "failed to allocate memory"}});
}

bool isDescriptionFile(const voplat::DirEntry& entry) {
  if (!entry.isRegularFile) return false;
  const size_t dot = entry.name.rfind('.');
  if (dot == std::string::npos) return false;
  const std::string_view extension = std::string_view(entry.name).substr(dot + 1);
  return extension == "txt" || extension == "err";
}

// ---- The translator ---------------------------------------------------------

void noDestroy(TranslatorInterface*) {}

TranslatorInterface gDefaultXlator{TranslatorInterface::kHeadSize, &noDestroy,
                                   &defaultXlatorGetStaticDesc, nullptr};

}  // namespace

void findDescriptionInText(std::string_view content, int32_t code, std::string& out,
                           voerr::Status& status) {
  out.clear();
  if (status.isError()) return;
  try {
    if (needsTextMode(content)) {
      std::string text(content);
      toTextMode(text);
      scanText(text, code, out, status);
    } else {
      scanText(content, code, out, status);
    }
  } catch (const std::bad_alloc&) {
    out.clear();
    raiseNoMemory(status);
  }
  if (status.isError()) out.clear();
}

void findDescriptionInFile(const std::string& path, int32_t code, std::string& out,
                           voerr::Status& status) {
  out.clear();
  if (status.isError()) return;
  try {
    std::string bytes;
    if (!voplat::readFile(path, bytes, nullptr)) {
      VOERR_RAISE(status, voerr::kResourceNotFound, voerr::kResourceNotFoundName)
          .object("voxlator_debug",
                  {{"debug", "Could not open status explanations file"}, {"path", path}});
      return;
    }
    toTextMode(bytes);
    scanText(bytes, code, out, status);
  } catch (const std::bad_alloc&) {
    out.clear();
    raiseNoMemory(status);
  }
  if (status.isError()) out.clear();
}

void findDescriptionInDir(const std::string& directory, int32_t code, std::string& out,
                          voerr::Status& status) {
  out.clear();
  if (status.isError()) return;
  try {
    if (directory.empty()) {
      raiseDirError(status, kErrnoInvalid, "debug", "open dir failed", directory);
      return;
    }
    if (directory.size() >= kMaxPathBytes) {
      raiseDirError(status, kErrnoNameTooLong, "debug", "open dir failed", directory);
      return;
    }
    // The directory as this system spells it, so that each file opens at
    // the first attempt.
    std::string native;
    std::vector<voplat::DirEntry> entries;
    if (!voplat::listDirectory(directory, entries, nullptr, &native)) {
      raiseDirError(status, kErrnoNoEntry, "debug", "open dir failed", directory);
      return;
    }
    std::string fullPath;
    for (const voplat::DirEntry& entry : entries) {
      // Length limits as the original listing enforces them, on the path as
      // the caller wrote it.
      if (entry.name.size() >= kMaxNameBytes ||
          directory.size() + 1 + entry.name.size() >= kMaxPathBytes) {
        raiseDirError(status, kErrnoNameTooLong, "voxlator", "get file info failed", directory);
        return;
      }
      if (!isDescriptionFile(entry)) continue;
      fullPath.assign(native);
      fullPath += '/';
      fullPath += entry.name;
      findDescriptionInFile(fullPath, code, out, status);
      if (status.isError() || !out.empty()) return;
    }
  } catch (const std::bad_alloc&) {
    out.clear();
    raiseNoMemory(status);
  }
}

void findDescriptionInErrorsDir(const std::string& errorsDir, int32_t code, uint32_t language,
                                std::string& out, voerr::Status& status) {
  out.clear();
  if (status.isError()) return;
  try {
    const std::string languageDir = convertLangToDir(language, status);
    if (status.isError()) return;
    findDescriptionInDir(errorsDir + "\\" + languageDir, code, out, status);
    if (status.isError() || !out.empty()) return;
    findDescriptionInDir(errorsDir, code, out, status);
  } catch (const std::bad_alloc&) {
    out.clear();
    raiseNoMemory(status);
  }
}

TranslatorInterface* createDefaultXlator(const char* /*name*/, const char* /*registrationInfo*/,
                                         voerr::Status& status) {
  if (status.isError()) return nullptr;
  return &gDefaultXlator;
}

char* defaultXlatorGetStaticDesc(TranslatorInterface* /*translator*/, int32_t code,
                                 uint32_t options, AllocateFn allocate, void* allocContext,
                                 voerr::Status& status) {
  if (status.isError()) return nullptr;
  try {
    std::string errorsDir;
    vosysq::getStandardPath("_voShared32Dir", errorsDir, status);
    if (status.isError()) return nullptr;
    errorsDir += "\\errors";

    uint32_t language = optionsLanguage(options);
    const uint32_t ade = optionsAdeHint(options);

    // English is the one fallback, tried once, when the language found
    // nothing or failed.
    voerr::Status search;
    std::string text;
    for (;;) {
      findDescriptionInErrorsDir(errorsDir, code, language, text, search);
      if (language == kEnglish || (!search.isError() && !text.empty())) break;
      search.clear();
      language = kEnglish;
    }

    if (search.isError()) {
      voerr::merge(status, std::move(search));
      return nullptr;
    }
    if (text.empty()) {
      VOERR_RAISE(status, voerr::kResourceNotFound, voerr::kResourceNotFoundName)
          .object("voxlator_debug",
                  {{"voxlator_defaultTranslator", "couldn't find description for code"},
                   {"code", code},
                   {"lang", language},
                   {"ade", ade}});
      return nullptr;
    }
    std::string utf8;
    mbsToUtf8(language, text, utf8, status);
    if (status.isError()) return nullptr;
    return allocateText(allocate, allocContext, utf8, status);
  } catch (const std::bad_alloc&) {
    raiseNoMemory(status);
    return nullptr;
  }
}

}  // namespace voxlator
