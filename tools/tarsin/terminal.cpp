#include "terminal.h"

#if defined(_WIN32)
#include <io.h>
#define tarsin_isatty _isatty
#define tarsin_fileno _fileno
#else
#include <unistd.h>
#define tarsin_isatty isatty
#define tarsin_fileno fileno
#endif

namespace tarsin {

bool IsTerminal(std::FILE* stream) { return tarsin_isatty(tarsin_fileno(stream)) != 0; }

}  // namespace tarsin
