// A failure the user can act on; what() is the whole message, without the
// program's name.
#pragma once

#include <stdexcept>

struct SplitError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
