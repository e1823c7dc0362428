#include "xlator/script_xlator.h"

#include "xlatorlua/script_host.h"

namespace voxlator {

TranslatorInterface* createScriptXlator(const char* name, const char* registrationInfo,
                                        voerr::Status& status) {
  return voxlatorlua::newScriptTranslator(name, registrationInfo, status);
}

}  // namespace voxlator
