#include "writers/record_file.h"

#include <nlohmann/json.hpp>

#include "record/split_error.h"
#include "record/utf8.h"
#include "steps/timing.h"
#include "writers/processing_json.h"

namespace kvb {

namespace {

using nlohmann::ordered_json;

// Text from an input file, as valid UTF-8; empty text is "not stated": null.
ordered_json text_or_null(const std::string& text) {
  return text.empty() ? ordered_json(nullptr) : ordered_json(as_utf8(text));
}

// The first channel's fact, or null when no channel states it.
const Channel* stating(const RecordFacts& facts, bool (*states)(const Channel&)) {
  for (const RecordComponent& c : facts.components) {
    if (c.channel && states(*c.channel)) return c.channel;
  }
  return nullptr;
}

ordered_json stated(const RecordFacts& facts, std::string Channel::*field) {
  for (const RecordComponent& c : facts.components) {
    if (c.channel && !(c.channel->*field).empty()) return text_or_null(c.channel->*field);
  }
  return nullptr;
}

ordered_json peak_json(const Peak& peak) { return {{"value", peak.value}, {"time", peak.time}}; }

template <typename T>
ordered_json or_null(const std::optional<T>& value) {
  return value ? ordered_json(*value) : ordered_json(nullptr);
}

ordered_json component_json(const RecordComponent& c, bool vertical) {
  ordered_json out;
  out["file"] = c.file;
  if (const Channel* ch = c.channel) {
    out["source"] = as_utf8(ch->source);
    out["format"] = text_or_null(ch->format);
    out["channel"] = text_or_null(ch->number);
    out["location"] = text_or_null(ch->location);
    out["orientation"] = text_or_null(ch->orientation_text);
    out["vertical"] = ch->orientation.axis == Axis::kVertical;
    out["azimuth"] = ch->orientation.azimuth < 0 ? ordered_json(nullptr) : ordered_json(ch->orientation.azimuth);
    out["unit"] = text_or_null(ch->unit);
    out["to_cm_s2"] = ch->to_cm_s2;
    out["source_interval"] = c.source_interval > 0 ? ordered_json(c.source_interval) : ordered_json(nullptr);
    out["source_samples"] = c.source_samples;
    out["initial_velocity_cm_s"] = or_null(ch->initial_velocity_cm_s);
  } else {
    out["source"] = nullptr;
    out["zeros"] = true;
    out["vertical"] = vertical;
  }
  out["samples"] = c.samples;
  out["source_peak"] = c.source_peak ? peak_json(*c.source_peak) : ordered_json(nullptr);
  out["peak"] = peak_json(c.peak);
  out["peak_change"] = or_null(c.peak_change());
  return out;
}

ordered_json event_json(const RecordFacts& facts) {
  const Channel* magnitude = stating(facts, [](const Channel& ch) { return ch.magnitude.has_value(); });
  return {{"name", stated(facts, &Channel::event)},
          {"date", stated(facts, &Channel::event_date)},
          {"magnitude", magnitude ? ordered_json(*magnitude->magnitude) : ordered_json(nullptr)}};
}

ordered_json processing_json(const RecordFacts& facts) {
  const Channel* band =
      stating(facts, [](const Channel& ch) { return ch.filter_low_hz.has_value() && ch.filter_high_hz.has_value(); });
  return {{"level", stated(facts, &Channel::processing)},
          {"filter_hz", band ? ordered_json({*band->filter_low_hz, *band->filter_high_hz}) : ordered_json(nullptr)}};
}

ordered_json done_json(const RecordFacts& facts) {
  ordered_json done;
  done["uneven_times"] =
      facts.uneven_times ? ordered_json("put on an even grid by linear interpolation") : ordered_json(nullptr);
  done["source_interval"] = facts.source_interval;
  done["resampled"] = facts.resampled ? ordered_json(method_description(*facts.resampled)) : ordered_json(nullptr);
  done["resampling"] = facts.resampled ? ordered_json({{"method", method_name(*facts.resampled)},
                                                       {"from_interval", facts.source_interval},
                                                       {"to_interval", facts.csv_time_step}})
                                       : ordered_json(nullptr);
  done["kept_interval"] = facts.kept_interval;
  if (facts.window) {
    const RecordFacts::Cut& w = *facts.window;
    done["window"] = {{"chosen", w.automatic ? "auto" : "START:END"},
                      {"start", w.start},
                      {"end", w.end},
                      {"first_sample", w.first_sample},
                      {"samples", w.samples},
                      {"record_samples", w.record_samples}};
  } else {
    done["window"] = nullptr;
  }
  done["missing_vertical"] = facts.vertical_zeros() ? ordered_json("zeros") : ordered_json(nullptr);
  const bool one_horizontal = !facts.components[0].channel || !facts.components[1].channel;
  done["missing_horizontal"] = one_horizontal ? ordered_json("zeros") : ordered_json(nullptr);
  return done;
}

}  // namespace

std::string record_json(const RecordFacts& facts) {
  ordered_json out;
  const Channel* placed = stating(facts, [](const Channel& ch) { return ch.latitude.has_value(); });
  out["station"] = {{"code", stated(facts, &Channel::station_code)},
                    {"name", stated(facts, &Channel::station_name)},
                    {"latitude", placed ? ordered_json(*placed->latitude) : ordered_json(nullptr)},
                    {"longitude", placed ? ordered_json(*placed->longitude) : ordered_json(nullptr)}};
  out["start_time"] = stated(facts, &Channel::start_iso);
  out["start_time_text"] = stated(facts, &Channel::start_time);
  out["event"] = event_json(facts);
  out["record_id"] = stated(facts, &Channel::record_id);
  out["processing"] = processing_json(facts);
  if (facts.processing) add_processing_json(out["processing"], *facts.processing);
  out["csv_time_step"] = facts.csv_time_step;
  out["time_column_scale"] = facts.csv_time_step / kReadKvbInterval;
  out["done"] = done_json(facts);
  if (const FullRecord* full = &facts.full; full->step > 0) {
    out["full_record"] = {{"file", kFullRecordFileName},
                          {"what",
                           "the record at its own step and whole, before any resampling or window for read-KVB's CSV; "
                           "the measures are taken from it"},
                          {"time_step", full->step},
                          {"samples", {full->samples[0].size(), full->samples[1].size(), full->samples[2].size()}},
                          {"made_even", full->how.empty() ? ordered_json(nullptr) : ordered_json(full->how)}};
  }
  ordered_json components = ordered_json::array();
  for (std::size_t c = 0; c < facts.components.size(); ++c)
    components.push_back(component_json(facts.components[c], c == 2));
  out["components"] = components;
  // Every text is valid UTF-8 by now; should one not be, it is replaced
  // rather than let the library's own exception speak to the user.
  try {
    return out.dump(2, ' ', false, ordered_json::error_handler_t::replace) + "\n";
  } catch (const nlohmann::json::exception&) {
    throw SplitError(std::string(kRecordFileName) + ": a value from the input cannot be written as JSON");
  }
}

}  // namespace kvb
