#include "record_file.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "time/resample.h"

namespace {

using nlohmann::ordered_json;

// Empty text is "not stated": null.
ordered_json text_or_null(const std::string& text) { return text.empty() ? ordered_json(nullptr) : ordered_json(text); }

// The first channel's fact, or null when no channel states it.
ordered_json stated(const RecordFacts& facts, std::string Channel::*field) {
  for (const RecordComponent& c : facts.components) {
    if (c.channel && !(c.channel->*field).empty()) return c.channel->*field;
  }
  return nullptr;
}

ordered_json component_json(const RecordComponent& c) {
  ordered_json out;
  out["file"] = c.file;
  if (const Channel* ch = c.channel) {
    out["source"] = ch->source;
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
  } else {
    out["source"] = nullptr;
    out["zeros"] = true;
    out["vertical"] = true;
  }
  out["samples"] = c.samples;
  out["peak"] = {{"value", c.peak.value}, {"time", c.peak.time}};
  return out;
}

}  // namespace

Peak peak_of(const std::vector<double>& samples, double interval, double start) {
  Peak peak{0.0, start};
  for (std::size_t k = 0; k < samples.size(); ++k) {
    if (std::fabs(samples[k]) > std::fabs(peak.value)) peak = {samples[k], start + static_cast<double>(k) * interval};
  }
  return peak;
}

std::string record_json(const RecordFacts& facts) {
  ordered_json out;
  out["station"] = {{"code", stated(facts, &Channel::station_code)}, {"name", stated(facts, &Channel::station_name)}};
  out["start_time"] = stated(facts, &Channel::start_time);
  out["csv_time_step"] = facts.csv_time_step;
  out["time_column_scale"] = facts.csv_time_step / 0.005;
  ordered_json done;
  done["uneven_times"] =
      facts.uneven_times ? ordered_json("put on an even grid by linear interpolation") : ordered_json(nullptr);
  done["source_interval"] = facts.source_interval;
  done["resampled"] = facts.resampled ? ordered_json(std::string(kResampleMethod)) : ordered_json(nullptr);
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
  done["missing_vertical"] = facts.vertical_zeros ? ordered_json("zeros") : ordered_json(nullptr);
  out["done"] = done;
  ordered_json components = ordered_json::array();
  for (const RecordComponent& c : facts.components) components.push_back(component_json(c));
  out["components"] = components;
  return out.dump(2) + "\n";
}
