#include "writers/output_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>

namespace kvb {

namespace {

// Paths in messages are escaped: a directory name is the user's, but may hold
// any byte.
std::string system_error(const std::string& what) { return escaped(what) + ": " + std::strerror(errno); }

bool exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

void refuse_directory(const std::string& target, const struct stat& st) {
  if (S_ISDIR(st.st_mode)) throw SplitError(escaped(target) + " is a directory; --force replaces only files");
}

mode_t current_umask() {
  mode_t mask = umask(0);
  umask(mask);
  return mask;
}

}  // namespace

OutputDir::OutputDir(std::string dir, bool force) : dir_(std::move(dir)), force_(force) {
  HoldInterrupts hold;  // made and registered for removal at once
  if (mkdir(dir_.c_str(), 0777) == 0) {
    created_ = true;
    dir_removal_ = remove_on_interrupt(dir_, true);
    return;
  }
  // It was there already, or another run has just made it.
  const int saved = errno;
  struct stat st;
  if (stat(dir_.c_str(), &st) != 0) {
    errno = saved;
    throw SplitError(system_error(dir_));
  }
  if (!S_ISDIR(st.st_mode)) throw SplitError(escaped(dir_) + ": not a directory");
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
  if (lock_fd_ >= 0) close(lock_fd_);
}

std::string OutputDir::path(const std::string& name) const {
  if (dir_ == ".") return name;
  return dir_ + (dir_.back() == '/' ? "" : "/") + name;
}

void OutputDir::check_free(const std::vector<std::string>& names) const {
  for (const std::string& name : names) {
    struct stat st;
    if (lstat(path(name).c_str(), &st) != 0) continue;
    if (!force_) throw SplitError(escaped(path(name)) + " exists; use --force to replace it");
    refuse_directory(path(name), st);
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

void OutputDir::move_aside(const std::string& name, std::vector<Backup>& backups) {
  std::string target = path(name);
  struct stat st;
  if (lstat(target.c_str(), &st) != 0) {
    if (errno == ENOENT) return;
    throw SplitError(system_error(target));
  }
  refuse_directory(target, st);  // it may have appeared since check_free
  // A fresh name, which the rename then takes over.
  std::string backup = path(".kvb-split-old-" + name + "-XXXXXX");
  int fd = mkstemp(backup.data());
  if (fd < 0) throw SplitError(system_error("cannot create a file in " + dir_));
  close(fd);
  if (rename(target.c_str(), backup.c_str()) != 0) {
    int saved = errno;
    unlink(backup.c_str());
    errno = saved;
    throw SplitError(system_error(target));
  }
  backups.push_back(Backup{std::move(target), std::move(backup)});
}

void OutputDir::place_one(Temp& temp, const std::string& name) {
  std::string target = path(name);
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
  if (force_) throw SplitError(escaped(target) + " appeared while the component files were placed");
  throw SplitError(escaped(target) + " exists; use --force to replace it");
}

// flock() on the directory itself leaves nothing in it, not even after a crash.
void OutputDir::lock() {
  lock_fd_ = open(dir_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (lock_fd_ < 0 || flock(lock_fd_, LOCK_EX) != 0)
    throw SplitError(system_error("cannot lock " + dir_) + "; no component file was placed");
}

void OutputDir::place(const std::vector<std::size_t>& temps, const std::vector<std::string>& names) {
  lock();  // an interrupt still ends the wait
  HoldInterrupts hold;
  std::vector<std::string> targets;
  for (const std::string& name : names) targets.push_back(path(name));
  std::vector<Backup> backups;
  backups.reserve(names.size());  // nothing to allocate between a rename and its record
  std::size_t done = 0;
  try {
    if (force_) {
      for (const std::string& name : names) move_aside(name, backups);
    }
    for (; done < temps.size(); ++done) place_one(temps_.at(temps[done]), names.at(done));
  } catch (const std::exception& e) {
    // The names are free of new files first, then the old ones come back.
    for (std::size_t k = 0; k < done; ++k) {
      unlink(targets[k].c_str());
      temps_[temps[k]].placed = false;
    }
    std::string what = e.what();
    for (const Backup& b : backups) {
      if (rename(b.path.c_str(), b.target.c_str()) != 0)
        what += "; the old " + escaped(b.target) + " is kept as " + escaped(b.path);
    }
    throw SplitError(what);
  }
  for (const Backup& b : backups) unlink(b.path.c_str());
  for (std::size_t index : temps) forget_on_interrupt(temps_[index].removal);
  forget_on_interrupt(dir_removal_);
}

}  // namespace kvb
