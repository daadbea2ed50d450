#include "writers/replace_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "readers/record_folder.h"
#include "record/split_error.h"

using namespace kvb;

namespace {

mode_t current_umask() {
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

}  // namespace

void replace_file(const std::string& dir, const std::string& name, const std::string& bytes) {
  const std::string target = dir + "/" + name;
  std::string temp = dir + "/." + name + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) throw MeasureError(escaped(target) + ": " + std::strerror(errno));
  // mkstemp makes the file private; these are as readable as any other.
  fchmod(fd, 0666 & ~current_umask());
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) break;
    done += static_cast<std::size_t>(put);
  }
  const int error = done < bytes.size() ? errno : fsync(fd) != 0 ? errno : 0;
  if (close(fd) != 0 || error != 0 || std::rename(temp.c_str(), target.c_str()) != 0) {
    const int why = error != 0 ? error : errno;
    unlink(temp.c_str());
    throw MeasureError(escaped(target) + ": " + std::strerror(why));
  }
}
