#include "record.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace kvb {
namespace {

// A descriptor whose reads return the given chunks one at a time, then the
// end of the file: a datagram socket keeps the chunk boundaries.
class Chunks {
 public:
  explicit Chunks(const std::vector<std::string>& chunks) {
    EXPECT_EQ(0, ::socketpair(AF_UNIX, SOCK_SEQPACKET, 0, fds_));
    for (const std::string& c : chunks) EXPECT_EQ(static_cast<ssize_t>(c.size()), ::write(fds_[1], c.data(), c.size()));
    ::close(fds_[1]);
  }
  ~Chunks() { ::close(fds_[0]); }
  int fd() const { return fds_[0]; }

 private:
  int fds_[2];
};

// Every record as the reader delivers it, each followed by "|" when a line
// feed ends it or "$" when the file does.
std::string records(const std::vector<std::string>& chunks) {
  Chunks source(chunks);
  RecordReader reader;
  std::vector<char> buffer(kRecordBufferBytes);
  reader.attach(source.fd(), buffer.data());
  std::string out;
  while (reader.has_byte()) {
    RecordView r = reader.peek(RecordReader::kMaxPeek);
    out += std::string(r.bytes) + (r.end == RecordEnd::kLineFeed ? "|" : "$");
    reader.skip_record();
  }
  return out;
}

TEST(RecordReader, TextModeBytes) {
  struct Case {
    const char* expected;
    std::vector<std::string> chunks;
  } cases[] = {
      {"a|b|", {"a\nb\n"}},
      {"a|b|", {"a\r\nb\r\n"}},
      {"a\rb|", {"a\rb\n"}},
      {"a|b$", {"a\nb"}},
      {"|", {"\n"}},
      {"", {""}},
      {"a|",
       {"a\n\x1a"
        "b\n"}},
      {"ab$", {"ab\x1a"}},
      {"a\r$", {"a\r"}},
      {"\r|", {"\r\r\n"}},
      {"a|b$", {"a\r", "\nb"}},  // CR LF split across two reads
      {"a\rb$", {"a\r", "b"}},
      {"a\r$", {"a\r", "\x1a"}},
      {"a|", {"a\r", "\n", "\x1a", "more\n"}},
      {"a|b|", {"a", "\n", "b", "\r", "\n"}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, records(c.chunks)) << c.expected;
}

TEST(RecordReader, PeekShowsAtMostTheLimit) {
  Chunks source({"0123456789ABC\nxy"});
  RecordReader reader;
  std::vector<char> buffer(kRecordBufferBytes);
  reader.attach(source.fd(), buffer.data());
  RecordView r = reader.peek(10);
  EXPECT_EQ("0123456789", r.bytes);
  EXPECT_TRUE(r.more);
  r = reader.peek(14);
  EXPECT_EQ("0123456789ABC", r.bytes);
  EXPECT_FALSE(r.more);
  EXPECT_TRUE(reader.skip_record());
  r = reader.peek(80);
  EXPECT_EQ("xy", r.bytes);
  EXPECT_EQ(RecordEnd::kEndOfFile, r.end);
  EXPECT_FALSE(reader.skip_record());
  EXPECT_FALSE(reader.has_byte());
}

TEST(RecordReader, RecordsLongerThanTheBuffer) {
  std::FILE* file = std::tmpfile();
  std::string huge(3 * RecordReader::kBufferSize + 17, 'x');
  huge += "\r\nnext\n";
  std::fwrite(huge.data(), 1, huge.size(), file);
  std::fflush(file);
  std::rewind(file);
  RecordReader reader;
  std::vector<char> buffer(kRecordBufferBytes);
  reader.attach(fileno(file), buffer.data());
  EXPECT_EQ(std::string(80, 'x'), reader.peek(80).bytes);
  EXPECT_TRUE(reader.skip_record());
  EXPECT_EQ("next", reader.peek(80).bytes);
  std::fclose(file);
}

}  // namespace
}  // namespace kvb
