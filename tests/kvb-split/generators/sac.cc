#include "generators/sac.h"

#include <bit>
#include <cstring>

namespace kvb_test {

namespace {

class Writer {
 public:
  explicit Writer(bool big_endian) : big_(big_endian) {}
  void word(std::uint32_t w) {
    if (big_ != (std::endian::native == std::endian::big)) w = __builtin_bswap32(w);
    char b[4];
    std::memcpy(b, &w, 4);
    out.append(b, 4);
  }
  void real(float v) { word(std::bit_cast<std::uint32_t>(v)); }
  void integer(std::int32_t v) { word(static_cast<std::uint32_t>(v)); }
  void text(std::string t, std::size_t size = 8) {
    t.resize(size, ' ');
    out += t;
  }
  std::string out;

 private:
  bool big_;
};

}  // namespace

std::string sac_file(const std::vector<float>& samples, const SacOptions& opt) {
  Writer w(opt.big_endian);
  for (int k = 0; k < 70; ++k) {
    float v = -12345.0f;
    if (k == 0) v = opt.delta;
    if (k == 5) v = opt.begin;
    if (k == 7) v = -4.75f;  // O: the origin before the reference time
    if (k == 31) v = opt.latitude;
    if (k == 32) v = opt.longitude;
    if (k == 39) v = 5.5f;  // MAG
    if (k == 57) v = opt.azimuth;
    if (k == 58) v = opt.incidence;
    w.real(v);
  }
  // NZYEAR, NZJDAY (2 January), NZHOUR, NZMIN, NZSEC, NZMSEC, NVHDR, NORID, NEVID, NPTS.
  const std::int32_t points = opt.points >= 0 ? opt.points : static_cast<std::int32_t>(samples.size());
  for (std::int32_t v : {2024, 2, 18, 0, 5, 0, opt.version, -12345, -12345, points}) w.integer(v);
  for (int k = 80; k < 110; ++k) {
    std::int32_t v = -12345;
    if (k == 85) v = 1;  // IFTYPE ITIME
    if (k == 86) v = opt.dependent;
    if (k == 105) v = 1;  // LEVEN
    w.integer(v);
  }
  w.text("SYN1");
  w.text("SYNTHETIC EVENT", 16);
  w.text(opt.location);
  for (int k = 0; k < 16; ++k) w.text("-12345");  // KO to KUSER2
  w.text(opt.channel);
  w.text("XX");
  w.text("-12345");
  w.text("-12345");
  for (float v : samples) w.real(v);
  return w.out + opt.trailing;
}

}  // namespace kvb_test
