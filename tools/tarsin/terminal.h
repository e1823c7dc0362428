// Whether a standard stream is an interactive terminal.
#pragma once

#include <cstdio>

namespace tarsin {

bool IsTerminal(std::FILE* stream);

}  // namespace tarsin
