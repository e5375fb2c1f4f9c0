#include "app/json.h"

#include <charconv>
#include <cmath>
#include <unordered_set>

namespace korventa::json {

namespace {

// Length of the valid UTF-8 sequence starting at s[i], or 0 when the bytes
// there are not one (overlong forms, surrogates and code points above
// U+10FFFF are refused, as RFC 3629 asks).
std::size_t Utf8Length(std::string_view s, std::size_t i) {
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = b(i);
  if (c < 0x80) return 1;
  std::size_t n;
  unsigned lo = 0x80, hi = 0xBF;  // allowed range of the second byte
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    if (c == 0xE0) lo = 0xA0;         // no overlong 3-byte forms
    else if (c == 0xED) hi = 0x9F;    // no UTF-16 surrogates
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    if (c == 0xF0) lo = 0x90;         // no overlong 4-byte forms
    else if (c == 0xF4) hi = 0x8F;    // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  if (b(i + 1) < lo || b(i + 1) > hi) return 0;
  for (std::size_t k = 2; k < n; ++k)
    if (b(i + k) < 0x80 || b(i + k) > 0xBF) return 0;
  return n;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// ---------------------------------------------------------------- writing

void WriteString(std::string& out, std::string_view s) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c >= 0x80) {
      const std::size_t n = Utf8Length(s, i);
      if (n == 0) {
        out += "\xEF\xBF\xBD";  // U+FFFD for a byte that is not UTF-8
        ++i;
      } else {
        out.append(s.substr(i, n));
        i += n;
      }
      continue;
    }
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          out += "\\u00";
          out += kHex[c >> 4];
          out += kHex[c & 0x0F];
        } else {
          out += static_cast<char>(c);
        }
    }
    ++i;
  }
  out += '"';
}

void WriteNumber(std::string& out, double n) {
  if (!std::isfinite(n)) {
    out += "null";
    return;
  }
  if (n == 0) n = 0;  // no "-0"
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, n);
  out.append(buf, r.ptr);
}

bool IsScalar(const Value& v) { return !v.IsArray() && !v.IsObject(); }

void WriteValue(std::string& out, const Value& v, int indent, bool pretty) {
  const auto newline = [&](int level) {
    if (!pretty) return;
    out += '\n';
    out.append(static_cast<std::size_t>(2 * level), ' ');
  };
  switch (v.type()) {
    case Type::Null: out += "null"; return;
    case Type::Bool: out += v.AsBool() ? "true" : "false"; return;
    case Type::Number: WriteNumber(out, v.AsNumber()); return;
    case Type::String: WriteString(out, v.AsString()); return;
    case Type::Array: {
      if (v.size() == 0) {
        out += "[]";
        return;
      }
      bool flat = true;
      for (const auto& e : v.Items()) flat = flat && IsScalar(e);
      out += '[';
      for (std::size_t i = 0; i < v.size(); ++i) {
        if (i) out += pretty && flat ? ", " : ",";
        if (!flat) newline(indent + 1);
        WriteValue(out, v[i], indent + 1, pretty);
      }
      if (!flat) newline(indent);
      out += ']';
      return;
    }
    case Type::Object: {
      if (v.size() == 0) {
        out += "{}";
        return;
      }
      out += '{';
      for (std::size_t i = 0; i < v.size(); ++i) {
        if (i) out += ',';
        newline(indent + 1);
        WriteString(out, v.Keys()[i]);
        out += pretty ? ": " : ":";
        WriteValue(out, v[i], indent + 1, pretty);
      }
      newline(indent);
      out += '}';
      return;
    }
  }
}

}  // namespace

// ---------------------------------------------------------------- parsing

namespace detail {

class Parser {
 public:
  Parser(std::string_view text, int maxDepth) : t_(text), maxDepth_(maxDepth) {}

  std::optional<Value> Run(ParseError& error) {
    SkipBlanks();
    Value v;
    if (ParseValue(v, 0)) {
      SkipBlanks();
      if (p_ == t_.size()) return v;
      Fail("unexpected text after the value");
    }
    error = error_;
    FillPosition(error);
    return std::nullopt;
  }

 private:
  bool Fail(std::string reason) {
    if (!failed_) {
      failed_ = true;
      error_.offset = p_;
      error_.reason = std::move(reason);
    }
    return false;
  }

  void FillPosition(ParseError& e) const {
    e.line = 1;
    e.column = 1;
    for (std::size_t i = 0; i < e.offset && i < t_.size(); ++i) {
      if (t_[i] == '\n') {
        ++e.line;
        e.column = 1;
      } else {
        ++e.column;
      }
    }
  }

  bool AtEnd() const { return p_ >= t_.size(); }
  char Peek() const { return t_[p_]; }

  void SkipBlanks() {
    while (!AtEnd() && (Peek() == ' ' || Peek() == '\t' || Peek() == '\n' || Peek() == '\r')) ++p_;
  }

  bool Literal(std::string_view word, Value v, Value& out) {
    if (t_.substr(p_, word.size()) != word) return Fail("invalid literal (expected " + std::string(word) + ")");
    p_ += word.size();
    out = std::move(v);
    return true;
  }

  bool ParseValue(Value& out, int depth) {
    if (AtEnd()) return Fail("unexpected end of input, expected a value");
    switch (Peek()) {
      case '{': return ParseObject(out, depth + 1);
      case '[': return ParseArray(out, depth + 1);
      case '"': {
        std::string s;
        if (!ParseString(s)) return false;
        out = Value(std::move(s));
        return true;
      }
      case 't': return Literal("true", Value(true), out);
      case 'f': return Literal("false", Value(false), out);
      case 'n': return Literal("null", Value(), out);
      default:
        if (Peek() == '-' || (Peek() >= '0' && Peek() <= '9')) return ParseNumber(out);
        return Fail("unexpected character, expected a value");
    }
  }

  bool Digits() {
    const std::size_t start = p_;
    while (!AtEnd() && Peek() >= '0' && Peek() <= '9') ++p_;
    return p_ > start;
  }

  bool ParseNumber(Value& out) {
    const std::size_t start = p_;
    if (Peek() == '-') ++p_;
    if (AtEnd() || Peek() < '0' || Peek() > '9') return Fail("invalid number: a digit must follow '-'");
    if (Peek() == '0') {
      ++p_;
      if (!AtEnd() && Peek() >= '0' && Peek() <= '9') return Fail("invalid number: leading zero");
    } else {
      Digits();
    }
    if (!AtEnd() && Peek() == '.') {
      ++p_;
      if (!Digits()) return Fail("invalid number: a digit must follow '.'");
    }
    bool negativeExponent = false;
    if (!AtEnd() && (Peek() == 'e' || Peek() == 'E')) {
      ++p_;
      if (!AtEnd() && (Peek() == '+' || Peek() == '-')) {
        negativeExponent = Peek() == '-';
        ++p_;
      }
      if (!Digits()) return Fail("invalid number: the exponent has no digits");
    }
    double v = 0;
    const char* first = t_.data() + start;
    const char* last = t_.data() + p_;
    auto r = std::from_chars(first, last, v);
    if (r.ec == std::errc::result_out_of_range) {
      if (!negativeExponent) {
        p_ = start;
        return Fail("number out of range");
      }
      v = t_[start] == '-' ? -0.0 : 0.0;  // too small for a double: zero
    } else if (r.ec != std::errc() || r.ptr != last) {
      p_ = start;
      return Fail("invalid number");
    }
    out = Value(v == 0 ? 0.0 : v);
    return true;
  }

  bool Hex4(std::uint32_t& out) {
    if (p_ + 4 > t_.size()) return Fail("unexpected end of input in a \\u escape");
    out = 0;
    for (int k = 0; k < 4; ++k) {
      const char c = t_[p_];
      int d;
      if (c >= '0' && c <= '9') d = c - '0';
      else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
      else return Fail("invalid \\u escape: expected four hexadecimal digits");
      out = out * 16 + static_cast<std::uint32_t>(d);
      ++p_;
    }
    return true;
  }

  bool ParseString(std::string& out) {
    ++p_;  // the opening quote
    for (;;) {
      if (AtEnd()) return Fail("unexpected end of input inside a string");
      const auto c = static_cast<unsigned char>(Peek());
      if (c == '"') {
        ++p_;
        return true;
      }
      if (c < 0x20) return Fail("control character inside a string (must be escaped)");
      if (c >= 0x80) {
        const std::size_t n = Utf8Length(t_, p_);
        if (n == 0) return Fail("invalid UTF-8 inside a string");
        out.append(t_.substr(p_, n));
        p_ += n;
        continue;
      }
      if (c != '\\') {
        out += static_cast<char>(c);
        ++p_;
        continue;
      }
      ++p_;
      if (AtEnd()) return Fail("unexpected end of input inside a string");
      const char e = Peek();
      ++p_;
      switch (e) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
          const std::size_t at = p_ - 2;
          std::uint32_t cp;
          if (!Hex4(cp)) return false;
          if (cp >= 0xDC00 && cp <= 0xDFFF) {
            p_ = at;
            return Fail("invalid \\u escape: lone low surrogate");
          }
          if (cp >= 0xD800 && cp <= 0xDBFF) {
            std::uint32_t low;
            if (t_.substr(p_, 2) != "\\u") {
              p_ = at;
              return Fail("invalid \\u escape: high surrogate without its low surrogate");
            }
            p_ += 2;
            if (!Hex4(low)) return false;
            if (low < 0xDC00 || low > 0xDFFF) {
              p_ = at;
              return Fail("invalid \\u escape: high surrogate without its low surrogate");
            }
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          }
          AppendUtf8(out, cp);
          break;
        }
        default:
          --p_;
          return Fail("invalid escape sequence in a string");
      }
    }
  }

  bool Deeper(int depth) {
    if (depth > maxDepth_) return Fail("nesting deeper than " + std::to_string(maxDepth_) + " levels");
    return true;
  }

  bool ParseArray(Value& out, int depth) {
    if (!Deeper(depth)) return false;
    ++p_;
    out = Value::Array();
    SkipBlanks();
    if (!AtEnd() && Peek() == ']') {
      ++p_;
      return true;
    }
    for (;;) {
      SkipBlanks();
      Value item;
      if (!ParseValue(item, depth)) return false;
      out.Push(std::move(item));
      SkipBlanks();
      if (AtEnd()) return Fail("unexpected end of input inside an array");
      if (Peek() == ',') {
        ++p_;
        SkipBlanks();
        if (!AtEnd() && Peek() == ']') return Fail("trailing comma in an array");
        continue;
      }
      if (Peek() == ']') {
        ++p_;
        return true;
      }
      return Fail("expected ',' or ']' in an array");
    }
  }

  bool ParseObject(Value& out, int depth) {
    if (!Deeper(depth)) return false;
    ++p_;
    out = Value::Object();
    std::unordered_set<std::string> names;
    SkipBlanks();
    if (!AtEnd() && Peek() == '}') {
      ++p_;
      return true;
    }
    for (;;) {
      SkipBlanks();
      if (AtEnd()) return Fail("unexpected end of input inside an object");
      if (Peek() != '"') return Fail("expected a member name in double quotes");
      const std::size_t at = p_;
      std::string key;
      if (!ParseString(key)) return false;
      if (!names.insert(key).second) {
        p_ = at;
        return Fail("duplicate member name \"" + key + "\"");
      }
      SkipBlanks();
      if (AtEnd() || Peek() != ':') return Fail("expected ':' after an object member name");
      ++p_;
      SkipBlanks();
      Value item;
      if (!ParseValue(item, depth)) return false;
      out.AppendMember(std::move(key), std::move(item));
      SkipBlanks();
      if (AtEnd()) return Fail("unexpected end of input inside an object");
      if (Peek() == ',') {
        ++p_;
        SkipBlanks();
        if (!AtEnd() && Peek() == '}') return Fail("trailing comma in an object");
        continue;
      }
      if (Peek() == '}') {
        ++p_;
        return true;
      }
      return Fail("expected ',' or '}' in an object");
    }
  }

  std::string_view t_;
  std::size_t p_ = 0;
  int maxDepth_;
  bool failed_ = false;
  ParseError error_;
};

}  // namespace detail

namespace {
const std::string kEmpty;
}  // namespace

const std::string& Value::AsString() const { return type_ == Type::String ? string_ : kEmpty; }

Value& Value::Push(Value v) {
  if (type_ == Type::Null) type_ = Type::Array;
  items_.push_back(std::move(v));
  return items_.back();
}

const Value* Value::Find(std::string_view key) const {
  if (type_ != Type::Object) return nullptr;
  for (std::size_t i = 0; i < keys_.size(); ++i)
    if (keys_[i] == key) return &items_[i];
  return nullptr;
}

Value* Value::Find(std::string_view key) {
  return const_cast<Value*>(static_cast<const Value*>(this)->Find(key));
}

Value& Value::Set(std::string key, Value v) {
  if (type_ == Type::Null) type_ = Type::Object;
  if (Value* existing = Find(key)) {
    *existing = std::move(v);
    return *existing;
  }
  keys_.push_back(std::move(key));
  items_.push_back(std::move(v));
  return items_.back();
}

bool operator==(const Value& a, const Value& b) {
  if (a.type_ != b.type_) return false;
  switch (a.type_) {
    case Type::Null: return true;
    case Type::Bool: return a.bool_ == b.bool_;
    case Type::Number: return a.number_ == b.number_;
    case Type::String: return a.string_ == b.string_;
    case Type::Array: return a.items_ == b.items_;
    case Type::Object: return a.keys_ == b.keys_ && a.items_ == b.items_;
  }
  return false;
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
  // Recursion follows the nesting, so the limit also bounds the stack.
  if (maxDepth < 1) maxDepth = 1;
  if (maxDepth > 1000) maxDepth = 1000;
  return detail::Parser(text, maxDepth).Run(error);
}

}  // namespace korventa::json
