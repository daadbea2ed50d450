// Files of a record folder replaced whole: a reader sees the old file or the
// new one, never a part.
#pragma once

#include <string>

// Writes bytes to a temporary file in dir, then renames it to dir/name.
// Throws MeasureError; the temporary file is removed on failure.
void replace_file(const std::string& dir, const std::string& name, const std::string& bytes);
