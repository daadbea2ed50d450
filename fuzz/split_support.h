// What the fuzz targets of kvb-split share: the reader an input asks for,
// and the check that a channel can be written as a component file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "readers/format.h"
#include "readers/stationxml.h"

// choice 0: the reader the file's first lines recognise (as the program
// does), else the (choice - 1)-th of the table, round; null when none.
const kvb::AgencyFormat* pick_format(std::uint8_t choice, std::string& bytes);

// Reads file as format does, a miniSEED file through the responses given
// (else those of kFuzzStations), never through files beside it.
void read_with(const kvb::AgencyFormat& format, kvb::TextFile& file, const kvb::Responses& given,
               std::vector<kvb::Channel>& channels);

// Aborts unless every sample fits a component field, the channel has a time
// for each sample or none, and the component file can be written. With
// overshoot (band-limited resampling or the processing filter, which can
// carry a sample read near the field's limit past it) a sample may not fit,
// and then the writer must refuse it with a message.
void check_writable(const kvb::Channel& ch, bool overshoot = false);
