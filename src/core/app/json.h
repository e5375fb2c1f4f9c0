// A small JSON document model for scripting: the command-line front end
// prints configurations with it and reads edited ones back.
//
// Objects keep their members in insertion order, so what is printed is
// stable from run to run and easy to diff. The parser is strict (RFC 8259:
// no comments, no trailing commas, no NaN, no duplicate keys, valid UTF-8
// only) and bounded: nesting deeper than the limit is an error, and no input
// can make it crash or recurse without end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korventa::json {

namespace detail {
class Parser;
}

enum class Type { Null, Bool, Number, String, Array, Object };

class Value {
 public:
  Value() = default;  // null
  Value(std::nullptr_t) {}
  Value(bool b) : type_(Type::Bool), bool_(b) {}
  Value(double n) : type_(Type::Number), number_(n) {}
  Value(int n) : type_(Type::Number), number_(n) {}
  Value(long n) : type_(Type::Number), number_(static_cast<double>(n)) {}
  Value(unsigned n) : type_(Type::Number), number_(n) {}
  Value(unsigned long n) : type_(Type::Number), number_(static_cast<double>(n)) {}
  Value(std::string s) : type_(Type::String), string_(std::move(s)) {}
  Value(const char* s) : type_(Type::String), string_(s) {}
  Value(std::string_view s) : type_(Type::String), string_(s) {}

  static Value Array() { return Value(Type::Array); }
  static Value Object() { return Value(Type::Object); }

  Type type() const { return type_; }
  bool IsNull() const { return type_ == Type::Null; }
  bool IsBool() const { return type_ == Type::Bool; }
  bool IsNumber() const { return type_ == Type::Number; }
  bool IsString() const { return type_ == Type::String; }
  bool IsArray() const { return type_ == Type::Array; }
  bool IsObject() const { return type_ == Type::Object; }

  // The scalar contents; a value of another type gives false, 0 or "".
  bool AsBool() const { return type_ == Type::Bool && bool_; }
  double AsNumber() const { return type_ == Type::Number ? number_ : 0.0; }
  const std::string& AsString() const;

  // Arrays: the elements; objects: the member values (in member order).
  std::size_t size() const { return items_.size(); }
  const Value& operator[](std::size_t i) const { return items_[i]; }
  Value& operator[](std::size_t i) { return items_[i]; }
  const std::vector<Value>& Items() const { return items_; }
  // Appends to an array (a null value becomes an empty array first).
  Value& Push(Value v);

  // Objects: member names, in order, parallel to Items().
  const std::vector<std::string>& Keys() const { return keys_; }
  // The member of that name, or null when there is none (or this is not an
  // object).
  const Value* Find(std::string_view key) const;
  Value* Find(std::string_view key);
  // Sets a member: replaces the value in place when the name exists,
  // appends it otherwise (a null value becomes an empty object first).
  Value& Set(std::string key, Value v);

  friend bool operator==(const Value& a, const Value& b);

 private:
  friend class detail::Parser;
  explicit Value(Type t) : type_(t) {}
  // Appends a member whose name the caller knows to be new.
  void AppendMember(std::string key, Value v) {
    keys_.push_back(std::move(key));
    items_.push_back(std::move(v));
  }

  Type type_ = Type::Null;
  bool bool_ = false;
  double number_ = 0.0;
  std::string string_;
  std::vector<Value> items_;
  std::vector<std::string> keys_;
};

// Pretty text: two blanks per level, one member per line, arrays of scalars
// on one line. Numbers are the shortest text that reads back to the same
// double; NaN and infinities (which JSON cannot hold) are written as null.
// Strings pass UTF-8 through unchanged; quotes, backslashes and control
// characters are escaped, and bytes that are not valid UTF-8 are replaced by
// U+FFFD so the output is always valid JSON. Ends with a newline.
std::string Write(const Value& v);
// The same on one line, without blanks (for logs and small replies).
std::string WriteCompact(const Value& v);

struct ParseError {
  std::size_t offset = 0;  // byte offset of the fault in the input
  int line = 1;            // 1-based
  int column = 1;          // 1-based, in bytes
  std::string reason;
  // "line 3, column 14: expected ':' after an object member name"
  std::string Message() const;
};

inline constexpr int kDefaultMaxDepth = 64;

// Parses exactly one value, with optional white space around it. nullopt
// (and the error) on anything that is not strict JSON or nests deeper than
// maxDepth arrays and objects.
std::optional<Value> Parse(std::string_view text, ParseError& error, int maxDepth = kDefaultMaxDepth);

}  // namespace korventa::json
