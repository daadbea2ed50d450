// The component file: what read-KVB reads and kvb-split writes. One file a
// component of motion under a fixed name: header records with the title on
// one of them, then data records of eight 10-column fields.
#pragma once

#include <array>

namespace layout {

// The three components of motion and their files, in the order read-KVB
// reads them.
inline constexpr std::array<const char*, 3> kComponents = {"N00", "N90", "UP"};
inline constexpr std::array<const char*, 3> kNames = {"KVB-N00.txt", "KVB-N90.txt", "KVB-UP.txt"};

inline constexpr int kHeaderRecords = 42;
inline constexpr int kTitleRecord = 6;
inline constexpr int kTitleColumns = 80;  // the title is the record's first 80
inline constexpr int kFieldsPerRecord = 8;
inline constexpr int kFieldWidth = 10;

// read-KVB holds this many samples a component; the last complete data
// record's are never written, so a file gives at most kRealSamples.
inline constexpr int kBufferSamples = 33000;
inline constexpr int kRealSamples = kBufferSamples - kFieldsPerRecord;

}  // namespace layout
