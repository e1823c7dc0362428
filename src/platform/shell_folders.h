// Shell folders by their numeric ids (35 common application data, 37 the
// system folder).
#pragma once
#include <cstdint>
#include <string>

namespace voplat {

// The folder's current path in UTF-16. Returns the shell's result code:
// 0 on success, a negative HRESULT (for example E_INVALIDARG for an unknown
// id) otherwise, with `out` empty.
int32_t shellFolderPath(int folderId, std::u16string& out);

}  // namespace voplat
