// One colour per channel row of a plot, repeating after ten.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarsin {

struct Rgb {
  uint8_t r, g, b;
};

/* clang-format off */
inline constexpr Rgb kPalette[] = {
    {0x1f, 0x77, 0xb4}, {0xff, 0x7f, 0x0e}, {0x2c, 0xa0, 0x2c}, {0xd6, 0x27, 0x28},
    {0x94, 0x67, 0xbd}, {0x8c, 0x56, 0x4b}, {0xe3, 0x77, 0xc2}, {0x7f, 0x7f, 0x7f},
    {0xbc, 0xbd, 0x22}, {0x17, 0xbe, 0xcf}};
/* clang-format on */

inline constexpr Rgb ChannelColour(size_t row) {
  return kPalette[row % (sizeof kPalette / sizeof kPalette[0])];
}

}  // namespace tarsin
