// The standard acceleration of gravity, by which records in g become cm/s².
#pragma once

namespace kvb {

inline constexpr double kStandardGravity = 980.665;  // cm/s² in one g

}  // namespace kvb
