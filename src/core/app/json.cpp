#include "app/json.h"

#include <charconv>
#include <cmath>
#include <iterator>
#include <vector>

namespace korventa::json {

namespace {

// ---------------------------------------------------------------- writing

bool IsScalar(const Value& v) { return !v.is_structured() || v.empty(); }

void WriteNumber(std::string& out, const Value& v) {
  if (!v.is_number_float()) {
    out += v.dump();
    return;
  }
  double n = v.get<double>();
  if (!std::isfinite(n)) {
    out += "null";
    return;
  }
  if (n == 0) n = 0;  // no "-0"
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, n);
  out.append(buf, r.ptr);
}

void WriteValue(std::string& out, const Value& v, int indent, bool pretty) {
  if (v.is_number()) return WriteNumber(out, v);
  if (v.is_string()) {
    out += v.dump(-1, ' ', false, Value::error_handler_t::replace);
    return;
  }
  if (!v.is_structured()) {
    out += v.dump();
    return;
  }
  const bool array = v.is_array();
  if (v.empty()) {
    out += array ? "[]" : "{}";
    return;
  }
  // Arrays of scalars stay on one line; everything else gets a line per item.
  bool flat = array;
  for (const auto& item : v)
    if (!IsScalar(item)) flat = false;
  const bool lines = pretty && !flat;
  const std::string pad(static_cast<std::size_t>(2 * (indent + 1)), ' ');
  out += array ? '[' : '{';
  bool first = true;
  for (auto it = v.begin(); it != v.end(); ++it) {
    if (!first) out += pretty && flat ? ", " : ",";
    first = false;
    if (lines) out += '\n' + pad;
    if (!array) {
      out += Value(it.key()).dump(-1, ' ', false, Value::error_handler_t::replace);
      out += pretty ? ": " : ":";
    }
    WriteValue(out, it.value(), indent + 1, pretty);
  }
  if (lines) out += '\n' + std::string(static_cast<std::size_t>(2 * indent), ' ');
  out += array ? ']' : '}';
}

// ---------------------------------------------------------------- reading

// A character iterator that counts what the library has consumed, so that
// faults found in the document's structure (a duplicate name, too deep a
// nesting) can be placed as exactly as the library's own lexical faults.
class CountingIterator {
 public:
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  CountingIterator(const char* p, std::size_t* consumed) : p_(p), consumed_(consumed) {}
  reference operator*() const { return *p_; }
  CountingIterator& operator++() {
    ++p_;
    ++*consumed_;
    return *this;
  }
  CountingIterator operator++(int) {
    CountingIterator before = *this;
    ++*this;
    return before;
  }
  bool operator==(const CountingIterator& o) const { return p_ == o.p_; }
  bool operator!=(const CountingIterator& o) const { return p_ != o.p_; }

 private:
  const char* p_;
  std::size_t* consumed_;
};

// Builds the document, refusing what the library lets through (duplicate
// names, too deep a nesting, numbers beyond a double) and rewording the
// library's faults.
class Builder : public nlohmann::json_sax<Value> {
 public:
  Builder(std::string_view text, const std::size_t& consumed, int maxDepth)
      : text_(text), consumed_(consumed), maxDepth_(maxDepth) {}

  bool null() override { return Put(Value()); }
  bool boolean(bool b) override { return Put(Value(b)); }
  bool number_integer(number_integer_t n) override { return Put(Value(n)); }
  bool number_unsigned(number_unsigned_t n) override { return Put(Value(n)); }
  bool number_float(number_float_t n, const string_t&) override {
    if (!std::isfinite(n)) return Fail(consumed_, "number out of range");
    return Put(Value(n));
  }
  bool string(string_t& s) override { return Put(Value(std::move(s))); }
  bool binary(binary_t&) override { return Fail(consumed_, "unexpected character, expected a value"); }

  bool start_object(std::size_t) override { return Open(Value::object()); }
  bool key(string_t& k) override {
    Level& top = stack_.back();
    if (top.value->contains(k)) return Fail(KeyStart(), "duplicate member name \"" + k + "\"");
    top.key = std::move(k);
    return true;
  }
  bool end_object() override { return Close(); }
  bool start_array(std::size_t) override { return Open(Value::array()); }
  bool end_array() override { return Close(); }

  bool parse_error(std::size_t position, const std::string& token, const nlohmann::detail::exception& ex) override;

  bool failed() const { return failed_; }
  const ParseError& error() const { return error_; }
  Value& result() { return root_; }

 private:
  struct Level {
    Value* value;
    std::string key;
    std::size_t items = 0;
  };

  bool Put(Value v) {
    if (stack_.empty()) {
      root_ = std::move(v);
      return true;
    }
    Level& top = stack_.back();
    ++top.items;
    if (top.value->is_array()) {
      top.value->push_back(std::move(v));
    } else {
      (*top.value)[top.key] = std::move(v);
    }
    return true;
  }

  Value* Last() {
    Level& top = stack_.back();
    return top.value->is_array() ? &top.value->back() : &(*top.value)[top.key];
  }

  bool Open(Value container) {
    if (static_cast<int>(stack_.size()) >= maxDepth_)
      return Fail(consumed_ - 1, "nesting deeper than " + std::to_string(maxDepth_) + " levels");
    Put(std::move(container));
    stack_.push_back({stack_.empty() ? &root_ : Last(), {}, 0});
    return true;
  }

  bool Close() {
    stack_.pop_back();
    return true;
  }

  // The opening quote of the member name just read: inside a string every
  // quote is escaped by an odd number of backslashes.
  std::size_t KeyStart() const {
    std::size_t i = consumed_ - 1;  // the closing quote
    while (i > 0) {
      --i;
      if (text_[i] != '"') continue;
      std::size_t slashes = 0;
      while (slashes < i && text_[i - 1 - slashes] == '\\') ++slashes;
      if (slashes % 2 == 0) return i;
    }
    return 0;
  }

  // The "\u" escape a surrogate fault is about: the last one before `end`
  // whose code unit is in the high (D800-DBFF) or low (DC00-DFFF) half.
  std::size_t SurrogateEscape(std::size_t end, bool high) const {
    for (std::size_t i = std::min(end, text_.size()); i-- > 0;) {
      if (text_.substr(i, 2) != "\\u" || i + 4 > text_.size()) continue;
      const char a = static_cast<char>(text_[i + 2] | 0x20), b = static_cast<char>(text_[i + 3] | 0x20);
      if (a != 'd') continue;
      const bool isHigh = b == '8' || b == '9' || b == 'a' || b == 'b';
      const bool isLow = b == 'c' || b == 'd' || b == 'e' || b == 'f';
      if (high ? isHigh : isLow) return i;
    }
    return 0;
  }

  bool Fail(std::size_t offset, std::string reason) {
    if (failed_) return false;
    failed_ = true;
    error_.offset = std::min(offset, text_.size());
    error_.reason = std::move(reason);
    return false;
  }

  std::string_view text_;
  const std::size_t& consumed_;
  int maxDepth_;
  Value root_;
  std::vector<Level> stack_;
  bool failed_ = false;
  ParseError error_;
};

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

bool Builder::parse_error(std::size_t position, const std::string& token, const nlohmann::detail::exception& ex) {
  // The library counts the character it stopped at, from 1.
  const std::size_t last = position > 0 ? position - 1 : 0;
  if (ex.id == 406) return Fail(position >= token.size() ? position - token.size() : 0, "number out of range");

  const std::string_view what = ex.what();
  std::string_view context, message = what;
  if (const auto at = what.find("while parsing "); at != std::string_view::npos) {
    const auto dash = what.find(" - ", at);
    context = what.substr(at + 14, dash == std::string_view::npos ? 0 : dash - at - 14);
    if (dash != std::string_view::npos) message = what.substr(dash + 3);
  }
  const bool valueExpected = context == "value";
  const bool inArray = !stack_.empty() && stack_.back().value->is_array();
  // Where the token the parser did not expect begins: a number or string
  // token is kept whole by the library; every other token is one character.
  const bool wholeToken = Contains(message, "unexpected number literal") || Contains(message, "unexpected string literal");
  const std::size_t start = wholeToken && token.size() <= position ? position - token.size() : last;

  if (message.starts_with("unexpected end of input")) {
    if (stack_.empty()) return Fail(last, "unexpected end of input, expected a value");
    return Fail(last, inArray ? "unexpected end of input inside an array" : "unexpected end of input inside an object");
  }
  if (valueExpected && message.starts_with("invalid string")) {
    if (Contains(message, "missing closing quote")) return Fail(last, "unexpected end of input inside a string");
    if (Contains(message, "control character")) return Fail(last, "control character inside a string (must be escaped)");
    if (Contains(message, "after backslash")) return Fail(last, "invalid escape sequence in a string");
    if (Contains(message, "4 hex digits"))
      return Fail(last, last >= text_.size() ? "unexpected end of input in a \\u escape"
                                             : "invalid \\u escape: expected four hexadecimal digits");
    if (Contains(message, "U+D800..U+DBFF must be followed"))
      return Fail(SurrogateEscape(last, true), "invalid \\u escape: high surrogate without its low surrogate");
    if (Contains(message, "must follow"))
      return Fail(SurrogateEscape(last + 1, false), "invalid \\u escape: lone low surrogate");
    if (Contains(message, "UTF-8")) return Fail(last, "invalid UTF-8 inside a string");
    return Fail(last, "invalid string");
  }
  if (valueExpected && message.starts_with("invalid number")) {
    if (Contains(message, "after '-'")) return Fail(last, "invalid number: a digit must follow '-'");
    if (Contains(message, "after '.'")) return Fail(last, "invalid number: a digit must follow '.'");
    if (Contains(message, "exponent")) return Fail(last, "invalid number: the exponent has no digits");
    return Fail(last, "invalid number");
  }
  if (Contains(message, "expected end of input")) {
    // "01" reaches the library as the number 0 followed by the number 1.
    if (Contains(message, "number literal") && start > 0 && text_[start - 1] == '0')
      return Fail(start, "invalid number: leading zero");
    std::size_t word = last;
    while (word > 0 && std::isalpha(static_cast<unsigned char>(text_[word - 1]))) --word;
    return Fail(message.starts_with("invalid literal") ? word : start, "unexpected text after the value");
  }
  if (context == "object key") {
    if (Contains(message, "unexpected '}'")) return Fail(last, "trailing comma in an object");
    return Fail(start, "expected a member name in double quotes");
  }
  if (context == "object separator") return Fail(start, "expected ':' after an object member name");
  if (context == "object") return Fail(start, "expected ',' or '}' in an object");
  if (context == "array") return Fail(start, "expected ',' or ']' in an array");
  // A value was expected and something else came.
  if (Contains(message, "unexpected ']'") && inArray && stack_.back().items > 0)
    return Fail(last, "trailing comma in an array");
  if (message.starts_with("invalid literal")) {
    std::size_t word = last;
    while (word > 0 && std::isalpha(static_cast<unsigned char>(text_[word - 1]))) --word;
    switch (text_[word]) {
      case 't': return Fail(word, "invalid literal (expected true)");
      case 'f': return Fail(word, "invalid literal (expected false)");
      case 'n': return Fail(word, "invalid literal (expected null)");
      default: return Fail(word, "unexpected character, expected a value");
    }
  }
  return Fail(start, "unexpected character, expected a value");
}

}  // namespace

const Value* Find(const Value& v, std::string_view key) {
  if (!v.is_object()) return nullptr;
  const auto it = v.find(key);
  return it == v.end() ? nullptr : &*it;
}

Value* Find(Value& v, std::string_view key) {
  return const_cast<Value*>(Find(static_cast<const Value&>(v), key));
}

std::string Write(const Value& v) {
  std::string out;
  WriteValue(out, v, 0, true);
  out += '\n';
  return out;
}

std::string WriteCompact(const Value& v) {
  std::string out;
  WriteValue(out, v, 0, false);
  return out;
}

std::string ParseError::Message() const {
  return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + reason;
}

std::optional<Value> Parse(std::string_view text, ParseError& error, int maxDepth) {
  std::size_t consumed = 0;
  Builder builder(text, consumed, std::max(maxDepth, 1));
  const CountingIterator first(text.data(), &consumed), end(text.data() + text.size(), &consumed);
  const bool ok = Value::sax_parse(first, end, &builder, nlohmann::detail::input_format_t::json, true, false);
  if (ok && !builder.failed()) return std::move(builder.result());
  error = builder.error();
  if (!builder.failed()) error.reason = "invalid JSON";
  error.line = 1;
  error.column = 1;
  for (std::size_t i = 0; i < error.offset; ++i) {
    if (text[i] == '\n') {
      ++error.line;
      error.column = 1;
    } else {
      ++error.column;
    }
  }
  return std::nullopt;
}

}  // namespace korventa::json
