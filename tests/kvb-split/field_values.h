// Values of the kinds a component field meets, for sweeps of the field
// writer: any magnitude up to the field's limits, single-precision samples,
// samples scaled from g, ties at a decimal and values just below a power of ten.
#pragma once

#include <cmath>
#include <random>

namespace kvb_test {

inline double field_value(std::mt19937_64& random) {
  std::uniform_real_distribution<double> unit(-1, 1);
  const double sign = random() % 2 ? -1 : 1;
  const auto power = [](long n) { return std::pow(10.0, static_cast<double>(n)); };
  const long n = static_cast<long>(random() % 16) - 9;  // 10^-9 to 10^6
  switch (random() % 6) {
    case 0: return unit(random) * power(n);
    case 1: return static_cast<float>(unit(random) * power(n));
    case 2: return static_cast<double>(static_cast<long>(random() % 2000001) - 1000000) / 1e6 * 980.665;
    case 3: {  // (k + 1/2) / 10^d: a tie in decimal, rarely one in binary
      const long d = static_cast<long>(random() % 9) + 1;
      return sign * (static_cast<double>(random() % 100000000) + 0.5) / power(d);
    }
    case 4: return sign * (power(n + 3) - power(-static_cast<long>(random() % 12)));
    default: return sign * (n < 0 ? 99999.9995 : 999999.9995) - sign * unit(random) * power(n - 3);
  }
}

}  // namespace kvb_test
