// JSON for scripting: the command-line front end prints configurations and
// reads edited ones back. Documents are nlohmann-json values that keep their
// members in insertion order, so what is printed is stable from run to run
// and easy to diff.
//
// Parse is stricter than the library's own entry point and says where a
// fault is in words a script author can act on: no comments, no trailing
// commas, no NaN, no duplicate member names, valid UTF-8 only, and nesting
// deeper than the limit is an error (the library parses without recursion,
// so no input can exhaust the stack).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace korventa::json {

using Value = nlohmann::ordered_json;

// The member of that name, or null when there is none (or v is not an
// object).
const Value* Find(const Value& v, std::string_view key);
Value* Find(Value& v, std::string_view key);

// Pretty text: two blanks per level, one member per line, arrays of scalars
// on one line. Numbers are the shortest text that reads back to the same
// value; NaN and infinities (which JSON cannot hold) are written as null.
// Strings pass UTF-8 through unchanged; bytes that are not valid UTF-8 are
// replaced by U+FFFD so the output is always valid JSON. Ends with a
// newline.
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
