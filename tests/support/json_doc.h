// A JSON text read back by a test, one value at a time by its JSON pointer
// ("/components/0/file"). Parsed in one file of its own, so that the tests
// that read JSON do not compile a JSON library each.
#pragma once

#include <memory>
#include <string>
#include <string_view>

class JsonDoc {
 public:
  // A text that is not JSON reads as null throughout.
  explicit JsonDoc(std::string_view text);
  ~JsonDoc();

  // Null, or not there.
  bool is_null(const std::string& pointer) const;
  // The value where it is of that type; otherwise "", NaN, false.
  std::string text(const std::string& pointer) const;
  double number(const std::string& pointer) const;
  bool flag(const std::string& pointer) const;

 private:
  struct Value;
  std::unique_ptr<Value> root_;
};
