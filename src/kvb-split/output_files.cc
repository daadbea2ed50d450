#include "output_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

std::string system_error(const std::string& what) { return what + ": " + std::strerror(errno); }

bool exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

mode_t current_umask() {
  mode_t mask = umask(0);
  umask(mask);
  return mask;
}

}  // namespace

OutputDir::OutputDir(std::string dir, bool force) : dir_(std::move(dir)), force_(force) {
  struct stat st;
  if (stat(dir_.c_str(), &st) == 0) {
    if (!S_ISDIR(st.st_mode)) throw SplitError(dir_ + ": not a directory");
    return;
  }
  if (errno != ENOENT) throw SplitError(system_error(dir_));
  HoldInterrupts hold;  // made and registered for removal at once
  if (mkdir(dir_.c_str(), 0777) != 0) throw SplitError(system_error(dir_));
  created_ = true;
  dir_removal_ = remove_on_interrupt(dir_, true);
}

OutputDir::~OutputDir() {
  bool placed = false;
  for (Temp& t : temps_) {
    if (t.file) std::fclose(t.file);
    if (!t.placed) unlink(t.path.c_str());
    forget_on_interrupt(t.removal);
    placed = placed || t.placed;
  }
  if (created_ && !placed) rmdir(dir_.c_str());  // a failed run leaves no trace
  forget_on_interrupt(dir_removal_);
}

std::string OutputDir::path(const std::string& name) const {
  if (dir_ == ".") return name;
  return dir_ + (dir_.back() == '/' ? "" : "/") + name;
}

void OutputDir::check_free(const std::vector<std::string>& names) const {
  if (force_) return;
  for (const std::string& name : names) {
    if (exists(path(name))) throw SplitError(path(name) + " exists; use --force to replace it");
  }
}

std::size_t OutputDir::create_temp(std::FILE*& out) {
  std::string pattern = path(".kvb-split-XXXXXX");
  HoldInterrupts hold;  // made and registered for removal at once
  int fd = mkstemp(pattern.data());
  if (fd < 0) throw SplitError(system_error("cannot create a file in " + dir_));
  // mkstemp makes the file private; a component file is as readable as any other.
  fchmod(fd, 0666 & ~current_umask());
  temps_.push_back(Temp{pattern, fdopen(fd, "w"), false, remove_on_interrupt(pattern, false)});
  if (!temps_.back().file) {
    close(fd);
    throw SplitError(system_error(pattern));
  }
  out = temps_.back().file;
  return temps_.size() - 1;
}

void OutputDir::finish_temp(std::size_t index, const std::string& shown_as) {
  Temp& t = temps_.at(index);
  bool failed = std::ferror(t.file) != 0;
  int saved = errno;
  if (std::fclose(t.file) != 0 && !failed) {
    failed = true;
    saved = errno;
  }
  t.file = nullptr;
  if (failed) {
    errno = saved;
    throw SplitError(system_error("writing " + shown_as));
  }
}

void OutputDir::place_one(Temp& temp, const std::string& name) {
  std::string target = path(name);
  if (force_) {
    if (rename(temp.path.c_str(), target.c_str()) != 0) throw SplitError(system_error(target));
    temp.placed = true;
    return;
  }
  // link() never replaces an existing name, so nothing is lost to a race.
  if (link(temp.path.c_str(), target.c_str()) == 0) {
    unlink(temp.path.c_str());
    temp.placed = true;
    return;
  }
  // Some file systems have no hard links; fall back to a check, then rename.
  if (errno != EEXIST && !exists(target)) {
    if (rename(temp.path.c_str(), target.c_str()) != 0) throw SplitError(system_error(target));
    temp.placed = true;
    return;
  }
  throw SplitError(target + " exists; use --force to replace it");
}

void OutputDir::place(const std::vector<std::size_t>& temps, const std::vector<std::string>& names) {
  HoldInterrupts hold;
  std::size_t done = 0;
  try {
    for (; done < temps.size(); ++done) place_one(temps_.at(temps[done]), names.at(done));
  } catch (const SplitError&) {
    // Without --force all three names were free: take back the ones placed.
    if (!force_) {
      for (std::size_t k = 0; k < done; ++k) {
        unlink(path(names[k]).c_str());
        temps_[temps[k]].placed = false;
      }
    }
    throw;
  }
  for (std::size_t index : temps) forget_on_interrupt(temps_[index].removal);
  forget_on_interrupt(dir_removal_);
}
