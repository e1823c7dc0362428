// Opening and closing device sessions.
#pragma once
#include <cstdint>

namespace voapi {

inline constexpr const char* kImageDefault = "/com::vo::tarsin::image::default";
inline constexpr const char* kImageUser = "/com::vo::tarsin::image::user";
inline constexpr const char* kImageGolden = "/com::vo::tarsin::image::golden";

inline constexpr uint32_t kOpenAlways = 0x80000000u;
inline constexpr uint32_t kOpenBuiltInImage = 0x40000000u;

using OpenEntry = int32_t (*)(const char* imageName, const char* signature,
                              const char* resourceName, uint32_t attribute, uint32_t* session);

// The image actually opened: the caller's, or the default image for null.
const char* imageNameOrDefault(const char* imageName);

// The open attribute sent with an image: bit 31 always, bit 30 as well for
// the built-in images (compared byte for byte).
uint32_t openAttributeFor(const char* imageName, uint32_t attribute);

// Opens through `entry`; a null resource name or session pointer is refused
// with -52005 before the driver sees it.
int32_t openSession(OpenEntry entry, const char* resourceName, const char* imageName,
                    uint32_t attribute, uint32_t* session);

}  // namespace voapi
