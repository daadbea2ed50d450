#include "volume_reader.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <memory>

#include "data_fields.h"
#include "line_reader.h"

namespace {

// A channel header longer than this is not a Volume 1/2 header (they hold 27
// to 45 lines); the limit keeps memory bounded on files of another kind.
constexpr std::size_t kMaxHeaderLines = 200;

bool is_blank(const std::string& line) { return line.find_first_not_of(' ') == std::string::npos; }
bool is_channel_end(const std::string& line) { return line.compare(0, 2, "/&") == 0; }

bool mentions_points(const std::string& line) {
  std::string low(line);
  for (char& c : low) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return low.find("points") != std::string::npos;
}

class VolumeFile {
 public:
  VolumeFile(const std::string& path, std::FILE* in) : path_(path), lines_(in) {}

  // The next line, or false at the end of the file; throws for a line that
  // is too long or a failed read.
  bool next(std::string& line) {
    switch (lines_.next(line)) {
      case LineStatus::kLine:
        return true;
      case LineStatus::kEnd:
        return false;
      case LineStatus::kTooLong:
        fail("line longer than " + std::to_string(LineReader::kMaxLine) +
             " bytes; not a Volume 1 or Volume 2 text file");
      case LineStatus::kReadError:
        break;
    }
    throw SplitError(path_ + ": " + std::strerror(errno));
  }

  [[noreturn]] void fail(const std::string& what) const { fail_at(lines_.line_number(), what); }
  [[noreturn]] void fail_at(long line, const std::string& what) const {
    throw SplitError(path_ + ":" + std::to_string(line) + ": " + what);
  }
  long line_number() const { return lines_.line_number(); }

 private:
  std::string path_;
  LineReader lines_;
};

// Reads the header from first (already read) up to and including the
// acceleration descriptor.
std::vector<std::string> read_header(VolumeFile& file, const std::string& first, long start,
                                     std::string& descriptor) {
  std::vector<std::string> header;
  std::string line = first;
  for (;;) {
    if (is_accel_descriptor(line)) {
      descriptor = line;
      return header;
    }
    if (header.size() == kMaxHeaderLines)
      file.fail_at(start, "no acceleration data line (\"N points of accel data ...\") within " +
                              std::to_string(kMaxHeaderLines) + " lines of this channel's start");
    header.push_back(line);
    if (!file.next(line))
      file.fail("the file ends before the acceleration data of the channel that starts at line " +
                std::to_string(start));
  }
}

void write_data(VolumeFile& file, const Descriptor& d, std::FILE* out) {
  DataWriter writer(out, d.layout);
  long left = d.points;
  std::string line, why;
  while (left > 0) {
    if (!file.next(line))
      file.fail("the file ends after " + std::to_string(d.points - left) + " of " +
                std::to_string(d.points) + " acceleration points");
    int count = left < d.layout.per_line ? static_cast<int>(left) : d.layout.per_line;
    if (!writer.add_line(line, count, why)) file.fail(why);
    left -= count;
  }
  writer.finish();
}

// After the acceleration data: the velocity and displacement blocks (Volume 2)
// up to the channel's end line "/&", which Volume 1 has right away.
void skip_to_channel_end(VolumeFile& file, const Descriptor& d) {
  std::string line;
  if (!file.next(line) || is_channel_end(line)) return;
  if (!is_blank(line) && !mentions_points(line))
    file.fail("more acceleration data than the " + std::to_string(d.points) +
              " points its descriptor announces");
  while (file.next(line) && !is_channel_end(line)) {
    if (is_accel_descriptor(line))
      file.fail("a second acceleration block before this channel's end line (\"/&\")");
  }
}

}  // namespace

std::vector<std::string> header_records(const std::vector<std::string>& header,
                                        const std::string& title, const std::string& descriptor) {
  std::vector<std::string> records;
  std::size_t next = 0;
  for (int r = 1; r < kHeaderRecords; ++r) {
    if (r == kTitleRecord) {
      records.push_back(title);
    } else {
      records.push_back(next < header.size() ? header[next] : std::string());
      ++next;
    }
  }
  records.push_back(descriptor);
  return records;
}

void read_volume(const std::string& path, OutputDir& out, std::vector<Channel>& channels) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!in) throw SplitError(path + ": " + std::strerror(errno));
  VolumeFile file(path, in.get());
  std::size_t found = 0;
  std::string line;
  while (file.next(line)) {
    if (is_blank(line)) continue;  // between channels, and at the end

    Channel ch;
    ch.source = path;
    ch.line = file.line_number();
    std::string descriptor;
    std::vector<std::string> header = read_header(file, line, ch.line, descriptor);
    long descriptor_line = file.line_number();

    auto parsed = parse_channel_header(header);
    if (!parsed) file.fail_at(ch.line, "no channel line (\"Chan  1: 360 Deg\") in this channel's header");
    ch.header = *parsed;
    auto orientation = classify_orientation(ch.header.orientation);
    if (!orientation)
      file.fail_at(ch.line, "channel " + std::to_string(ch.header.channel) +
                                ": unknown orientation \"" + ch.header.orientation + "\"");
    ch.orientation = *orientation;
    std::string why;
    auto d = parse_descriptor(descriptor, why);
    if (!d) file.fail_at(descriptor_line, why);
    ch.descriptor = *d;

    std::FILE* component = nullptr;
    ch.temp = out.create_temp(component);
    for (const std::string& record : header_records(header, make_title(ch.header), descriptor)) {
      std::fwrite(record.data(), 1, record.size(), component);
      std::fputc('\n', component);
    }
    write_data(file, ch.descriptor, component);
    out.finish_temp(ch.temp, "the component file for " + path);
    skip_to_channel_end(file, ch.descriptor);
    channels.push_back(std::move(ch));
    ++found;
  }
  if (found == 0) throw SplitError(path + ": no channel in this file");
}
