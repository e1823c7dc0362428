// The last resort: tell the user and end the process with exit code 1.
#pragma once

namespace voplat {

// Writes the line "title: text" to the standard error stream and exits at once
// with code 1, without running exit handlers. Null strings count as empty.
[[noreturn]] void fatalMessage(const char* title, const char* text);

}  // namespace voplat
