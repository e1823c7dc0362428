// The error-file translator ("voxlator_default"): static descriptions of
// status codes, read from error-explanation files in the shared errors
// directory.
//
// Error-explanation file: a line-oriented text in the code page of its
// language, shaped like XML but not parsed as XML. Markers are recognised
// only at the very start of a line, without regard to letter case:
//
//   <?xml version="1.0" encoding="windows-1252"?>   line 1 (first 19 chars)
//   <vodocument>                                    line 2
//   <vocomment>                                     skipped up to and including
//   ...                                             the next line beginning
//   </vocomment>                                    with </vocomment>
//   <voerror code="-52005">                         the code, read like "%i"
//   The description, one or more lines.             (decimal, 0x hex, 0 octal)
//   </voerror>
//   </vodocument>                                   ends the search
//
// A line is what one read of at most 1023 bytes returns: a longer physical
// line counts as several lines. The file is read as text, so "\r\n" counts
// as "\n" and a Ctrl-Z byte ends the file. A description is every line
// between its error start and error end, with the line ends after its last
// other character removed. Lines other than markers outside an error are
// ignored; a line that begins with a NUL byte there makes the file invalid.
//
// Directory layout: <errors>\<Language>\*.txt|*.err, where <errors> is the
// standard path "_voShared32Dir" followed by "\errors" and <Language> the
// directory name of the language (language.h). Only regular files whose
// extension is exactly "txt" or "err" (letter case included) are read, in
// listing order.
//
// Every failure is -52006 ("voapalerr_resourceNotFound") with a
// "voxlator_debug" object telling what went wrong, except an invalid
// language (-52005) and a failed text conversion ("error_constant" "err").
// Every function does nothing when the status passed in holds an error, and
// leaves its output empty when it ends with one.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "status/status.h"
#include "xlator/translator_interface.h"

namespace voxlator {

// The create function of the "voxlator_default" registration: returns the
// one static translator (null when the status already holds an error). Its
// destroy does nothing; it has a static description and no dynamic one.
TranslatorInterface* createDefaultXlator(const char* name, const char* registrationInfo,
                                         voerr::Status& status);

// The static-description function of that translator. Language and "ade"
// hint come from `options`. Searches the errors directory in the language,
// then once in English when the language gave nothing or failed; converts
// the text found from its language's code page to UTF-8 and returns it in a
// block from `allocate`. Nothing found raises -52006 with "voxlator_debug":
// {"voxlator_defaultTranslator": "couldn't find description for code",
// "code", "lang" (the language searched last), "ade"}; a search failure is
// passed on with its own context.
char* defaultXlatorGetStaticDesc(TranslatorInterface* translator, int32_t code, uint32_t options,
                                 AllocateFn allocate, void* allocContext, voerr::Status& status);

// The description of `code` in one error-explanation file, as stored.
// Errors: the file cannot be opened ("Could not open status explanations
// file", "path"); an error start whose code cannot be read ("Could not
// successfully read the status data!", "sscanf": 0 or -1); an error without
// its end ("Bad explanation file. Could not find the end of the status code
// definition !"); a line starting with NUL outside an error ("Bad explanation
// file. Unidentified section heading !"). A file without the two header
// lines yields nothing and no error.
void findDescriptionInFile(const std::string& path, int32_t code, std::string& out,
                           voerr::Status& status);

// The same search over a file's content already in memory: `content` is the
// file's bytes as stored (line ends and Ctrl-Z as on disk).
void findDescriptionInText(std::string_view content, int32_t code, std::string& out,
                           voerr::Status& status);

// The first description of `code` in the qualifying files of one directory.
// A directory that cannot be listed raises "internal_error": {"api":
// "errno", "code", "string"} and "voxlator_debug": {"debug": "open dir
// failed", "path"}; an entry whose full path is too long, the same with
// {"voxlator": "get file info failed", "path"}. The errno numbers are those
// of the original platform's C runtime: 2 no such directory, 12 out of
// memory, 22 empty path, 38 name too long (a path of 4094 bytes or more).
void findDescriptionInDir(const std::string& directory, int32_t code, std::string& out,
                          voerr::Status& status);

// The language subdirectory of `errorsDir`, then `errorsDir` itself; the
// second only when the first gave no text and no error (so a missing
// language subdirectory fails the search). An invalid language raises
// -52005 with "voxlator_debug": {"gxerrorsparser": "invalid language",
// "lang"}.
void findDescriptionInErrorsDir(const std::string& errorsDir, int32_t code, uint32_t language,
                                std::string& out, voerr::Status& status);

}  // namespace voxlator
