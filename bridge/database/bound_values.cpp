#include "bridge/database/bound_values.h"

#include <json/reader.h>
#include <json/value.h>
#include <sqlite3.h>

#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "bridge/protocol/cmd_exception.h"
#include "runtime/base64.h"

namespace bridge {
namespace {

constexpr char kBlobKey[] = "base64";

std::string elementText(const Json::Value& element) {
  const char* begin = nullptr;
  const char* end = nullptr;
  element.getString(&begin, &end);
  return std::string(begin, end);
}

// Only a whole, canonical text is a blob: the decoder stops quietly at the
// first byte outside the alphabet, and a blob cut short must not be stored.
std::string blobBytes(const std::string& text, const std::string& which) {
  const AnsiString decoded = Base64Decode(AnsiString(text));
  if (Base64Encode(decoded) != AnsiString(text)) {
    throw CmdException("cannot bind value [" + which + "]: not padded base64");
  }
  return std::string(decoded.CStr(), static_cast<std::size_t>(decoded.Length()));
}

BoundValue valueOf(const Json::Value& element, const std::string& which) {
  BoundValue value;
  switch (element.type()) {
    case Json::nullValue: break;
    case Json::intValue:
      value.type = BoundValue::Type::kInteger;
      value.integer = element.asLargestInt();
      break;
    case Json::uintValue:
      if (element.asLargestUInt() <= std::numeric_limits<std::int64_t>::max()) {
        value.type = BoundValue::Type::kInteger;
        value.integer = static_cast<std::int64_t>(element.asLargestUInt());
      } else {
        value.type = BoundValue::Type::kReal;
        value.real = element.asDouble();
      }
      break;
    case Json::realValue:
      value.type = BoundValue::Type::kReal;
      value.real = element.asDouble();
      break;
    case Json::booleanValue:
      value.type = BoundValue::Type::kInteger;
      value.integer = element.asBool() ? 1 : 0;
      break;
    case Json::stringValue:
      value.type = BoundValue::Type::kText;
      value.bytes = elementText(element);
      break;
    case Json::objectValue:
      if (element.size() == 1 && element.isMember(kBlobKey) && element[kBlobKey].isString()) {
        value.type = BoundValue::Type::kBlob;
        value.bytes = blobBytes(elementText(element[kBlobKey]), which);
        break;
      }
      [[fallthrough]];
    case Json::arrayValue:
      throw CmdException("cannot bind value [" + which +
                         "]: not null, a number, a text, true, false or {\"base64\": text}");
  }
  return value;
}

// Null for a text that is not JSON.
std::optional<Json::Value> parseJson(std::string_view json) {
  // A reader holds its parse state: one per thread.
  thread_local const std::unique_ptr<Json::CharReader> reader = [] {
    Json::CharReaderBuilder builder;
    Json::CharReaderBuilder::strictMode(&builder.settings_);
    return std::unique_ptr<Json::CharReader>(builder.newCharReader());
  }();
  Json::Value root;
  bool parsed = false;
  try {
    parsed = reader->parse(json.data(), json.data() + json.size(), &root, nullptr);
  } catch (const Json::Exception&) {
    // Nesting past the reader's limit is thrown rather than reported.
  }
  if (!parsed) return std::nullopt;
  return root;
}

bool bindable(const Json::Value& root) { return root.isArray() || root.isObject(); }

constexpr char kNotValues[] = "bound values are not a JSON array or object";

std::string counted(std::size_t count, const std::string& noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

void check(sqlite3_stmt* statement, int code) {
  if (code != SQLITE_OK) throw CmdException(sqlite3_errmsg(sqlite3_db_handle(statement)));
}

void bindOne(sqlite3_stmt* statement, int index, const BoundValue& value) {
  switch (value.type) {
    case BoundValue::Type::kNull: check(statement, sqlite3_bind_null(statement, index)); break;
    case BoundValue::Type::kInteger:
      check(statement, sqlite3_bind_int64(statement, index, value.integer));
      break;
    case BoundValue::Type::kReal:
      check(statement, sqlite3_bind_double(statement, index, value.real));
      break;
    case BoundValue::Type::kText:
      check(statement, sqlite3_bind_text64(statement, index, value.bytes.data(), value.bytes.size(),
                                           SQLITE_STATIC, SQLITE_UTF8));
      break;
    case BoundValue::Type::kBlob:
      check(statement, sqlite3_bind_blob64(statement, index, value.bytes.data(), value.bytes.size(),
                                           SQLITE_STATIC));
      break;
  }
}

}  // namespace

bool BoundValue::operator==(const BoundValue& other) const {
  return type == other.type && integer == other.integer && real == other.real &&
         bytes == other.bytes;
}

BoundValues BoundValues::parse(std::string_view json) {
  if (json.empty()) return BoundValues();
  const std::optional<Json::Value> root = parseJson(json);
  if (!root || !bindable(*root)) throw CmdException(kNotValues);
  return read(*root);
}

BoundValues BoundValues::read(const Json::Value& root) {
  BoundValues parsed;
  parsed.byName_ = root.isObject();
  parsed.values_.reserve(root.size());
  if (parsed.byName_) {
    parsed.names_ = root.getMemberNames();
    for (const std::string& name : parsed.names_) {
      parsed.values_.push_back(valueOf(root[name], visibleNul(name)));
    }
  } else {
    for (Json::ArrayIndex i = 0; i < root.size(); ++i) {
      parsed.values_.push_back(valueOf(root[i], std::to_string(i + 1)));
    }
  }
  return parsed;
}

void BoundValues::bindTo(sqlite3_stmt* statement) const {
  const int parameters = statement != nullptr ? sqlite3_bind_parameter_count(statement) : 0;
  if (values_.size() != static_cast<std::size_t>(parameters)) {
    throw CmdException(counted(values_.size(), "value") + " for " +
                       counted(static_cast<std::size_t>(parameters), "parameter"));
  }
  for (std::size_t i = 0; i < values_.size(); ++i) {
    int index = static_cast<int>(i) + 1;
    if (byName_) {
      index = sqlite3_bind_parameter_index(statement, names_[i].c_str());
      // A name with a NUL would be looked up by its beginning only.
      if (index == 0 || names_[i].find('\0') != std::string::npos) {
        throw CmdException("no parameter named [" + visibleNul(names_[i]) + "]");
      }
    }
    bindOne(statement, index, values_[i]);
  }
}

std::string batchStatementFailure(std::size_t index, const std::string& sql,
                                  const std::string& message) {
  return "statement " + std::to_string(index + 1) + ": " + message + "; nothing was saved [" +
         visibleNul(sql) + "]";
}

std::vector<BoundStatement> parseBoundBatch(std::string_view json) {
  const std::optional<Json::Value> root = parseJson(json);
  if (!root || !root->isArray()) {
    throw CmdException("bound batch is not a JSON array of [sql, values] pairs");
  }
  std::vector<BoundStatement> batch;
  batch.reserve(root->size());
  for (Json::ArrayIndex i = 0; i < root->size(); ++i) {
    const Json::Value& pair = (*root)[i];
    if (!pair.isArray() || pair.size() != 2 || !pair[0].isString() ||
        !(pair[1].isString() || bindable(pair[1]))) {
      throw CmdException("statement " + std::to_string(i + 1) + " is not a [sql, values] pair");
    }
    BoundStatement statement{elementText(pair[0]), {}};
    try {
      statement.values = pair[1].isString() ? BoundValues::parse(elementText(pair[1]))
                                            : BoundValues::read(pair[1]);
    } catch (const CmdException& e) {
      throw CmdException(batchStatementFailure(i, statement.sql, e.message()));
    }
    batch.push_back(std::move(statement));
  }
  return batch;
}

}  // namespace bridge
