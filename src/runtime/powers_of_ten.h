// Powers of ten: those exact in double precision (a product or quotient of
// an exact integer and one of them rounds correctly), and the whole ones
// that 32 bits hold.
#pragma once

#include <cstdint>

namespace kvb {

inline constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

inline constexpr std::uint32_t kWholePow10[] = {1,      10,      100,      1000,      10000,
                                                100000, 1000000, 10000000, 100000000, 1000000000};

}  // namespace kvb
