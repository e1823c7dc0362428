#include "api/session.h"

#include <cstring>
#include <initializer_list>

namespace voapi {

namespace {
constexpr int32_t kInvalidParameter = -52005;
}

const char* imageNameOrDefault(const char* imageName) {
  return imageName ? imageName : kImageDefault;
}

uint32_t openAttributeFor(const char* imageName, uint32_t attribute) {
  const char* name = imageNameOrDefault(imageName);
  for (const char* builtIn : {kImageDefault, kImageUser, kImageGolden}) {
    if (std::strcmp(name, builtIn) == 0) return attribute | kOpenAlways | kOpenBuiltInImage;
  }
  return attribute | kOpenAlways;
}

int32_t openSession(OpenEntry entry, const char* resourceName, const char* imageName,
                    uint32_t attribute, uint32_t* session) {
  if (!resourceName || !session) return kInvalidParameter;
  return entry(imageNameOrDefault(imageName), nullptr, resourceName,
               openAttributeFor(imageName, attribute), session);
}

}  // namespace voapi
