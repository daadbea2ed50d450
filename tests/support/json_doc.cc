#include "json_doc.h"

#include <limits>
#include <nlohmann/json.hpp>

struct JsonDoc::Value {
  nlohmann::json json;

  const nlohmann::json* at(const std::string& pointer) const {
    const nlohmann::json::json_pointer where(pointer);
    return json.contains(where) ? &json.at(where) : nullptr;
  }
};

JsonDoc::JsonDoc(std::string_view text)
    : root_(new Value{nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false)}) {
  if (root_->json.is_discarded()) root_->json = nullptr;
}

JsonDoc::~JsonDoc() = default;

bool JsonDoc::is_null(const std::string& pointer) const {
  const nlohmann::json* v = root_->at(pointer);
  return !v || v->is_null();
}

std::string JsonDoc::text(const std::string& pointer) const {
  const nlohmann::json* v = root_->at(pointer);
  return v && v->is_string() ? v->get<std::string>() : "";
}

double JsonDoc::number(const std::string& pointer) const {
  const nlohmann::json* v = root_->at(pointer);
  return v && v->is_number() ? v->get<double>() : std::numeric_limits<double>::quiet_NaN();
}

bool JsonDoc::flag(const std::string& pointer) const {
  const nlohmann::json* v = root_->at(pointer);
  return v && v->is_boolean() && v->get<bool>();
}
