// The component files in the output directory: written under temporary names
// first, put in place only when every channel has been read. An interrupt
// while reading removes the temporary files (and a directory made for them).
// Runs into one directory place their sets one after another: each holds a
// lock on the directory from its first placing step to its end.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "record/split_error.h"
#include "writers/signals.h"

namespace kvb {

class OutputDir {
 public:
  // Creates the directory when it does not exist (one level, like mkdir).
  OutputDir(std::string dir, bool force);
  ~OutputDir();  // removes the temporary files that were not put in place
  OutputDir(const OutputDir&) = delete;
  OutputDir& operator=(const OutputDir&) = delete;

  // dir/name as it is shown to the user.
  std::string path(const std::string& name) const;

  // Throws when one of the names exists already and force is off, or when
  // one is a directory, which even force does not replace.
  void check_free(const std::vector<std::string>& names) const;

  // A new temporary file in the directory, open for writing; the index
  // identifies it for finish_temp and place.
  std::size_t create_temp(std::FILE*& out);

  // Closes temporary file index; throws if anything written to it was lost.
  void finish_temp(std::size_t index, const std::string& shown_as);

  // Puts the temporary files in place under the names, all or none, while
  // interrupts wait. Without force an existing name is never replaced, even
  // one that appeared while the inputs were read. With force the old files
  // are first moved aside under backup names, so that at no moment (not even
  // after a crash) do the names hold old and new files together; the backups
  // are removed at the end, or renamed back when the new files cannot all be
  // placed. First waits (interruptible) for the directory's lock, which stays
  // held until this object ends: no other run's files come or go meanwhile.
  void place(const std::vector<std::size_t>& temps, const std::vector<std::string>& names);

 private:
  struct Temp {
    std::string path;
    std::FILE* file = nullptr;
    bool placed = false;
    InterruptRemoval* removal = nullptr;
  };
  struct Backup {
    std::string target;  // where the old file stood
    std::string path;    // where it is kept meanwhile
  };

  void place_one(Temp& temp, const std::string& name);
  void move_aside(const std::string& name, std::vector<Backup>& backups);
  void lock();

  std::string dir_;
  bool force_;
  bool created_ = false;
  InterruptRemoval* dir_removal_ = nullptr;
  int lock_fd_ = -1;  // the directory, flock()ed
  std::vector<Temp> temps_;
};

}  // namespace kvb
