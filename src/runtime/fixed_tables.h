// The texts of Fw.3 editing, for the data line's fields: the point and
// the decimals, the whole part and its sign.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kvb {

// ".000" ".001" ... ".999": the point and three decimals, the usual Fw.3 tail.
inline constexpr auto kThousandths = [] {
  std::array<char, 4000> tails{};
  for (std::size_t k = 0; k < 1000; ++k) {
    tails[4 * k] = '.';
    tails[4 * k + 1] = static_cast<char>('0' + k / 100);
    tails[4 * k + 2] = static_cast<char>('0' + k / 10 % 10);
    tails[4 * k + 3] = static_cast<char>('0' + k % 10);
  }
  return tails;
}();

// The whole parts 0 to 9999 right-justified in four columns, blanks before;
// then the same with a minus sign before them, 0 where that takes a fifth
// column.
inline constexpr std::uint32_t kWholeLimit = 10000;
inline constexpr auto kWholeParts = [] {
  std::array<std::uint32_t, 2 * kWholeLimit> texts{};
  for (std::uint32_t n = 0; n < kWholeLimit; ++n) {
    std::uint32_t text = 0x20202020;
    int column = 3;
    for (std::uint32_t rest = n; column == 3 || rest != 0; --column, rest /= 10)
      text = (text & ~(0xFFu << 8 * column)) | ('0' + rest % 10) << 8 * column;
    texts[n] = text;
    texts[kWholeLimit + n] = column < 0 ? 0 : (text & ~(0xFFu << 8 * column)) | std::uint32_t{'-'} << 8 * column;
  }
  return texts;
}();

}  // namespace kvb
