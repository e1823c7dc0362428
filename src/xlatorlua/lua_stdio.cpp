// The standard streams as the interpreter's archives reach them: the build
// renames their references to stdin, stdout and stderr to these variables
// (see CMakeLists.txt), which are hidden inside the library and hold the C
// library's stream pointers from load time on. A program that assigns new
// pointers to stdin, stdout or stderr afterwards is not followed; reopening a
// stream (freopen) keeps its pointer and is.
#include <cstdio>

extern "C" {
std::FILE* vo_lua_stdin = stdin;
std::FILE* vo_lua_stdout = stdout;
std::FILE* vo_lua_stderr = stderr;
}
