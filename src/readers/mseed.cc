#include "readers/mseed.h"

#include <libmseed.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "readers/keyed_text.h"
#include "readers/text_fields.h"
#include "record/sample_limits.h"
#include "record/split_error.h"

namespace kvb {

namespace {

// The stated gain may differ from the product of the stages' by this share
// (rounding in the data centre's tables) before the response is refused.
constexpr double kGainTolerance = 0.05;
// A channel whose dip is this close to 0 is horizontal, to ±90 vertical.
constexpr double kDipTolerance = 5.0;
// StationXML files beside a miniSEED file larger than this are not read.
constexpr std::uintmax_t kMaxStationXmlBytes = std::uintmax_t{64} << 20;

[[noreturn]] void fail(const TextFile& file, const std::string& what) {
  throw SplitError(escaped(file.path()) + ": " + what);
}

void quiet(char*) {}  // libmseed's own messages: the failures say what went wrong

// One channel's records joined: the samples as recorded (counts).
struct Trace {
  std::string network, station, location, channel;
  double rate = 0;     // samples a second
  hptime_t start = 0;  // the first sample's time, µs since 1970
  hptime_t next = 0;   // where the next record should begin
  std::vector<double> counts;
  std::string id() const { return network + "." + station + "." + location + "." + channel; }
};

// "2019-07-06T03:19:23.000000Z".
std::string iso(hptime_t t) {
  char text[64];
  if (!ms_hptime2isotimestr(t, text, 1)) return "(no time)";
  return std::string(text) + "Z";
}

std::string number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", v);
  return text;
}

struct RecordDeleter {
  void operator()(MSRecord* msr) const { msr_free(&msr); }
};

// The record's samples appended to trace, after the checks that the record
// continues it.
void append(const TextFile& file, const MSRecord& msr, Trace& trace) {
  const std::string id = trace.id();
  // The intervals a record may have (1 µs to 10 s), as rates.
  if (!(msr.samprate >= 1 / kLongestInterval && msr.samprate <= 1 / kShortestInterval))
    fail(file, id + ": sample rate " + number(msr.samprate) + " at " + iso(msr.starttime) + " (not from " +
                   number(1 / kLongestInterval) + " to " + number(1 / kShortestInterval) + " samples a second)");
  if (trace.counts.empty()) {
    trace.rate = msr.samprate;
    trace.start = msr.starttime;
  } else {
    if (std::fabs(msr.samprate - trace.rate) > 1e-6 * trace.rate)
      fail(file, id + ": the sample rate changes from " + number(trace.rate) + " to " + number(msr.samprate) + " at " +
                     iso(msr.starttime));
    // A record may begin up to half a sample away from where the last ended.
    const double off = static_cast<double>(msr.starttime - trace.next) / HPTMODULUS;
    if (off > 0.5 / trace.rate)
      fail(file, id + ": a gap of " + number(off) + " s from " + iso(trace.next) + " to " + iso(msr.starttime) +
                     "; kvb-split reads only continuous records");
    if (off < -0.5 / trace.rate)
      fail(file, id + ": records overlap by " + number(-off) + " s at " + iso(msr.starttime) +
                     "; kvb-split reads only continuous records");
  }
  for (std::int64_t k = 0; k < msr.numsamples; ++k) {
    switch (msr.sampletype) {
      case 'i': trace.counts.push_back(static_cast<const std::int32_t*>(msr.datasamples)[k]); break;
      case 'f': trace.counts.push_back(static_cast<const float*>(msr.datasamples)[k]); break;
      default: trace.counts.push_back(static_cast<const double*>(msr.datasamples)[k]); break;
    }
  }
  trace.next = msr.starttime +
               static_cast<hptime_t>(std::llround(static_cast<double>(msr.numsamples) * HPTMODULUS / trace.rate));
}

// The samples a record's data section can hold in its encoding; nothing for an
// encoding kvb-split does not read (text, and the old networks' 16- and 24-bit
// formats). libmseed copies as many samples as the header counts, whatever the
// record's length: a count past this is refused before they are decoded.
std::optional<std::int64_t> room_for(int encoding, std::int64_t bytes) {
  switch (encoding) {
    case DE_INT16: return bytes / 2;
    case DE_INT32:
    case DE_FLOAT32: return bytes / 4;
    case DE_FLOAT64: return bytes / 8;
    case DE_STEIM1: return bytes / 64 * 15 * 4;  // frames of 15 words of up to four differences
    case DE_STEIM2: return bytes / 64 * 15 * 7;  // up to seven
  }
  return std::nullopt;
}

// The record's header checked before its samples are decoded: empty, or why
// they cannot be. A log record (text) has no samples to decode.
std::string undecodable(const MSRecord& msr, bool& log) {
  const int encoding = msr.encoding;
  log = encoding == DE_ASCII;
  if (log || msr.samplecnt == 0) return "";
  const std::int64_t offset = msr.fsdh ? msr.fsdh->data_offset : 0;
  if (offset < 48 || offset >= msr.reclen)
    return "its data begin at byte " + std::to_string(offset) + " of its " + std::to_string(msr.reclen);
  const std::optional<std::int64_t> room = room_for(encoding, msr.reclen - offset);
  if (!room) return "its encoding " + std::to_string(encoding) + " is none that kvb-split reads";
  if (msr.samplecnt < 0 || msr.samplecnt > *room)
    return "it counts " + std::to_string(msr.samplecnt) + " samples, more than its " +
           std::to_string(msr.reclen - offset) + " bytes of data hold";
  return "";
}

// The file's records, joined into a trace a channel in the order they first appear.
std::vector<Trace> decode(const TextFile& file) {
  ms_loginit(quiet, nullptr, quiet, nullptr);
  std::string buffer(file.bytes());  // libmseed takes the record to parse as writable
  std::vector<Trace> traces;
  std::unique_ptr<MSRecord, RecordDeleter> held;
  for (std::size_t at = 0; at < buffer.size();) {
    // Some files are padded to a block with zeros after their last record.
    if (buffer.find_first_not_of('\0', at) == std::string::npos) break;
    // The header first, then (where it promises no more than the record holds) the samples.
    const int left = static_cast<int>(std::min<std::size_t>(buffer.size() - at, INT_MAX));
    int status = 0;
    bool log = false;
    for (int samples : {0, 1}) {
      MSRecord* msr = held.release();
      status = msr_parse(buffer.data() + at, left, &msr, 0, static_cast<flag>(samples), 0);
      held.reset(msr);
      if (status > 0)
        fail(file, "the miniSEED record at byte " + std::to_string(at) + " is cut short (" + std::to_string(status) +
                       " bytes more are needed)");
      if (status < 0 || !msr || msr->reclen <= 0)
        fail(file, "no miniSEED record at byte " + std::to_string(at) + " (" + ms_errorstr(status) + ")");
      if (samples == 1) break;
      if (std::string why = undecodable(*msr, log); !why.empty())
        fail(file, "the miniSEED record at byte " + std::to_string(at) + " cannot be decoded: " + why);
      if (log) break;
    }
    const MSRecord* msr = held.get();
    at += static_cast<std::size_t>(msr->reclen);
    if (log || msr->numsamples == 0) continue;  // a log or an empty record: no samples
    if (msr->numsamples != msr->samplecnt)
      fail(file, "the miniSEED record at byte " + std::to_string(at - static_cast<std::size_t>(msr->reclen)) +
                     " decodes to " + std::to_string(msr->numsamples) + " of its " + std::to_string(msr->samplecnt) +
                     " samples");
    auto same = [&](const Trace& t) {
      return t.network == msr->network && t.station == msr->station && t.location == msr->location &&
             t.channel == msr->channel;
    };
    auto trace = std::find_if(traces.begin(), traces.end(), same);
    if (trace == traces.end()) {
      Trace fresh;
      fresh.network = msr->network, fresh.station = msr->station;
      fresh.location = msr->location, fresh.channel = msr->channel;
      trace = traces.insert(traces.end(), std::move(fresh));
    }
    append(file, *msr, *trace);
  }
  if (traces.empty()) fail(file, "the miniSEED file holds no samples");
  return traces;
}

// The StationXML files in the folder of path that describe a station of
// traces, by name; their names appended to used.
Responses responses_beside(const std::string& path, const std::vector<Trace>& traces, std::vector<std::string>& used) {
  namespace fs = std::filesystem;
  fs::path folder = fs::path(path).parent_path();
  if (folder.empty()) folder = ".";
  std::vector<fs::path> candidates;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::string ext = it->path().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    std::error_code e;
    if (ext == ".xml" && it->is_regular_file(e) && it->file_size(e) <= kMaxStationXmlBytes)
      candidates.push_back(fs::path(path).parent_path() / it->path().filename());
  }
  std::sort(candidates.begin(), candidates.end());
  Responses found;
  for (const fs::path& candidate : candidates) {
    std::ifstream in(candidate, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!is_stationxml(text)) continue;
    Responses rs;
    try {
      rs = read_stationxml(candidate.string(), text);
    } catch (const SplitError&) { continue; }
    bool covers = false;
    for (const ChannelResponse& r : rs)
      for (const Trace& t : traces) covers = covers || (r.network == t.network && r.station == t.station);
    if (!covers) continue;
    used.push_back(candidate.string());
    found.insert(found.end(), rs.begin(), rs.end());
  }
  return found;
}

// Counts per unit -> cm/s²: the factor of the response's input unit, or 0
// for a unit that is not acceleration.
double unit_to_cm_s2(std::string unit) {
  std::string u;
  for (char c : unit)
    if (c != ' ') u += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const char* m : {"M/S**2", "M/S/S", "M/S^2", "M/S2", "M/SEC**2", "M/SEC/SEC"})
    if (u == m) return 100.0;
  for (const char* cm : {"CM/S**2", "CM/S/S", "CM/S^2", "CM/S2", "CM/SEC**2", "GAL"})
    if (u == cm) return 1.0;
  return 0;
}

// Why the response r cannot turn trace's counts into acceleration; empty
// when it can. not_acceleration is set where the sensor measures another
// quantity (a broadband or a velocity seismometer).
std::string unusable(const ChannelResponse& r, const Trace& trace, bool& not_acceleration) {
  const std::string where = "the response of " + trace.id() + " in " + escaped(r.file);
  not_acceleration = unit_to_cm_s2(r.input_units) == 0;
  if (r.input_units.empty()) return where + " gives no InstrumentSensitivity with InputUnits";
  if (not_acceleration)
    return where + " is of a sensor of " + kvb::quoted(r.input_units) + ", not of acceleration (M/S**2)";
  if (!(r.sensitivity && *r.sensitivity > 0))
    return where + " gives the sensitivity " + (r.sensitivity ? number(*r.sensitivity) : "(none)") +
           ", not a positive number of counts per " + r.input_units;
  const double nyquist = trace.rate / 2;
  if (r.frequency && !(*r.frequency >= 0 && *r.frequency <= nyquist))
    return where + " states its sensitivity at " + number(*r.frequency) + " Hz, above the record's Nyquist " +
           "frequency " + number(nyquist) + " Hz: the gain within the record's band is not stated";
  if (r.stage_gains && !(std::fabs(*r.stage_gains / *r.sensitivity - 1) <= kGainTolerance))
    return where + ": its stages' gains multiply to " + number(*r.stage_gains) + ", not the stated sensitivity " +
           number(*r.sensitivity) + ": the response is not flat where the sensitivity is stated";
  return "";
}

// The channel's orientation: SEED's Z, N and E by the code; 1, 2 and others
// by the StationXML's dip and azimuth.
void set_orientation(const TextFile& file, const ChannelResponse& r, const Trace& trace, Channel& ch) {
  const char last = trace.channel.empty() ? ' ' : trace.channel.back();
  if (last == 'Z' || last == 'N' || last == 'E') {
    ch.orientation_text = trace.channel;
  } else if (r.dip && std::fabs(std::fabs(*r.dip) - 90) <= kDipTolerance) {
    ch.orientation_text = *r.dip < 0 ? "Up" : "Down";
  } else if (r.dip && r.azimuth && std::fabs(*r.dip) <= kDipTolerance && std::fabs(*r.azimuth) <= 360) {
    ch.orientation_text = std::to_string((std::lround(*r.azimuth) % 360 + 360) % 360) + " Deg";
  } else {
    ch.orientation_text = trace.channel;
  }
  std::optional<Orientation> o = classify_orientation(ch.orientation_text);
  if (!o || (o->axis == Axis::kHorizontal && o->azimuth < 0))
    fail(file, trace.id() + ": the StationXML gives no azimuth and dip of the channel (Azimuth, Dip), " +
                   "so its orientation is unknown");
  ch.orientation = *o;
}

Channel channel_of(const TextFile& file, const ChannelResponse& r, Trace& trace) {
  Channel ch;
  ch.source = file.path();
  ch.line = 1;
  ch.format = "mseed";
  ch.network = trace.network;
  ch.station_code = trace.station;
  ch.station_name = r.station_name;
  ch.latitude = r.latitude;
  ch.longitude = r.longitude;
  ch.location = trace.location;
  ch.number = trace.channel;
  set_orientation(file, r, trace, ch);
  ch.processing = "uncorrected";  // counts as recorded
  ch.response = r.file;
  // 100 samples/s is 0.01 s; the interval is the decimal of nine digits it stands for.
  char interval[32];
  std::snprintf(interval, sizeof interval, "%.9g", 1 / trace.rate);
  ch.interval = checked_interval(file, 1, std::strtod(interval, nullptr));
  const std::time_t seconds = static_cast<std::time_t>(trace.start / HPTMODULUS - (trace.start % HPTMODULUS < 0));
  std::tm t{};
  gmtime_r(&seconds, &t);
  StatedTime start;
  start.year = t.tm_year + 1900, start.month = t.tm_mon + 1, start.day = t.tm_mday;
  start.hour = t.tm_hour, start.minute = t.tm_min;
  start.second = t.tm_sec + static_cast<double>(trace.start - static_cast<hptime_t>(seconds) * HPTMODULUS) / HPTMODULUS;
  set_start(ch, start);
  ch.unit = "counts";
  const double unit = unit_to_cm_s2(r.input_units), sensitivity = *r.sensitivity;
  ch.to_cm_s2 = unit / sensitivity;
  ch.samples = std::move(trace.counts);
  for (std::size_t k = 0; k < ch.samples.size(); ++k) {
    double& v = ch.samples[k];
    v = v / sensitivity * unit;  // in the order the sensitivity is defined: counts per unit
    if (!fits_component_field(v))
      fail(file, trace.id() + ": sample " + std::to_string(k + 1) + ", " + number(v) +
                     " cm/s², does not fit in a 10-column field with three decimals");
  }
  return ch;
}

bool recognise(const std::vector<std::string>&) { return false; }  // by is_mseed, from the bytes

void read_alone(TextFile& file, std::vector<Channel>& channels) { read_mseed(file, {}, channels); }

}  // namespace

bool is_mseed(std::string_view bytes) {
  // A fixed header is 48 bytes; ms_detect looks for the record's length in its blockettes.
  return bytes.size() >= 48 &&
         ms_detect(bytes.data(), static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 16))) >= 0;
}

void read_mseed(TextFile& file, const Responses& given, std::vector<Channel>& channels,
                std::vector<std::string>* found) {
  std::vector<Trace> traces = decode(file);
  std::vector<std::string> used;
  const Responses beside = given.empty() ? responses_beside(file.path(), traces, used) : Responses();
  const Responses& responses = given.empty() ? beside : given;
  std::vector<Channel> read;
  std::string skipped;  // why a channel of another quantity was left out
  for (Trace& trace : traces) {
    const double start = static_cast<double>(trace.start) / HPTMODULUS;
    const ChannelResponse* r =
        find_response(responses, trace.network, trace.station, trace.location, trace.channel, start);
    // SEED's instrument code H: a high-gain seismometer, which measures velocity.
    if (!r && trace.channel.size() == 3 && trace.channel[1] == 'H') {
      if (skipped.empty())
        skipped = trace.id() + " is a seismometer's channel (SEED instrument code H), not an accelerometer's";
      continue;
    }
    if (!r)
      fail(file, "no StationXML gives the response of " + trace.id() + " at " + iso(trace.start) +
                     " (counts cannot be turned into acceleration): give the station's StationXML file among the "
                     "inputs, or put it beside the miniSEED file");
    bool not_acceleration = false;
    if (std::string why = unusable(*r, trace, not_acceleration); !why.empty()) {
      if (!not_acceleration) fail(file, why);
      if (skipped.empty()) skipped = why;
      continue;
    }
    read.push_back(channel_of(file, *r, trace));
  }
  if (read.empty()) throw NotAcceleration(escaped(file.path()) + ": " + skipped);
  if (found) found->insert(found->end(), used.begin(), used.end());
  for (Channel& ch : read) channels.push_back(std::move(ch));
}

Responses given_responses(const std::vector<std::string>& paths) {
  Responses all;
  for (const std::string& path : paths) {
    // Only regular files: a pipe is read once, by its own reader.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) continue;
    std::ifstream in(path, std::ios::binary);
    std::string text(4096, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (!is_stationxml(text)) continue;
    in.clear();
    in.seekg(0);
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    try {
      Responses rs = read_stationxml(path, text);
      all.insert(all.end(), rs.begin(), rs.end());
    } catch (const SplitError&) {}
  }
  return all;
}

const AgencyFormat kMseedFormat = {
    "mseed", "miniSEED in counts, with its StationXML (among the files or beside them) for the sensitivity", recognise,
    read_alone};

}  // namespace kvb
