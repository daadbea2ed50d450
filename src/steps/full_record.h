// The full record of the chosen channels, taken on their way to read-KVB.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "record/channel.h"
#include "record/full_record.h"

namespace kvb {

// The first `count` chosen channels, those with samples of their own, which
// share one even interval, as they are; the others zeros as long as the
// longest. how: see FullRecord.
FullRecord full_record_of(const std::array<Channel, 3>& chosen, std::size_t count, std::string how);

}  // namespace kvb
