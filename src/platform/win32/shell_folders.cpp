// Shell folders: SHGetFolderPathW, current path, no window and no user token.
#include "platform/shell_folders.h"

#include <shlobj.h>
#include <windows.h>

namespace voplat {

int32_t shellFolderPath(int folderId, std::u16string& out) {
  out.clear();
  wchar_t buffer[MAX_PATH] = {};
  const HRESULT hr = SHGetFolderPathW(nullptr, folderId, nullptr, SHGFP_TYPE_CURRENT, buffer);
  if (FAILED(hr)) return hr;
  for (const wchar_t* p = buffer; *p != L'\0'; ++p) out.push_back(static_cast<char16_t>(*p));
  return 0;
}

}  // namespace voplat
