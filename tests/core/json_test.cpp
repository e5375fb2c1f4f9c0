// The JSON document model: what scripts feed back must round-trip exactly,
// and nothing a script (or a fuzzer) feeds in may crash the parser or be
// silently accepted when it is not strict JSON.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "app/json.h"

using namespace korventa;

namespace {

json::Value MustParse(std::string_view text) {
  json::ParseError e;
  auto v = json::Parse(text, e);
  EXPECT_TRUE(v.has_value()) << text << " -> " << e.Message();
  return v ? *v : json::Value();
}

json::ParseError MustFail(std::string_view text, int maxDepth = json::kDefaultMaxDepth) {
  json::ParseError e;
  auto v = json::Parse(text, e, maxDepth);
  EXPECT_FALSE(v.has_value()) << "accepted: " << text;
  EXPECT_FALSE(e.reason.empty());
  return e;
}

}  // namespace

TEST(Json, DocumentRoundTripsThroughTheWriterKeepingMemberOrder) {
  json::Value doc = json::Value::object();
  doc["zeta"] = 1;
  doc["list"] = {true, nullptr};
  doc["inner"]["unit"] = "°C";
  doc["empty"] = json::Value::object();
  const std::string text = json::Write(doc);
  EXPECT_EQ(text, "{\n  \"zeta\": 1,\n  \"list\": [true, null],\n  \"inner\": {\n    \"unit\": \"°C\"\n  },\n"
                  "  \"empty\": {}\n}\n");
  EXPECT_EQ(MustParse(text), doc);
  EXPECT_EQ(MustParse(json::WriteCompact(doc)), doc);
  doc["zeta"] = 2;  // replaced where it stands
  EXPECT_EQ(doc.items().begin().key(), "zeta");
}

TEST(Json, NumbersAreShortestExactAndNeverNonFinite) {
  for (double d : {0.1, -328.0, 2192.0, 1e-7, 123456789.125, 5e-324, 1.7976931348623157e308}) {
    json::Value v(d);
    auto back = MustParse(json::WriteCompact(v));
    EXPECT_EQ(back.get<double>(), d);
  }
  EXPECT_EQ(json::WriteCompact(json::Value(1200.0)), "1200");
  EXPECT_EQ(json::WriteCompact(json::Value(-0.0)), "0");
  EXPECT_EQ(json::WriteCompact(json::Value(std::nan(""))), "null");
  EXPECT_EQ(json::WriteCompact(json::Value(std::numeric_limits<double>::infinity())), "null");
  // Too small for a double reads as zero; too large is refused.
  EXPECT_EQ(MustParse("1e-999").get<double>(), 0.0);
  EXPECT_NE(MustFail("1e999").reason.find("out of range"), std::string::npos);
}

TEST(Json, StringsEscapeControlsAndPassUtf8Through) {
  json::Value v(std::string("a\"b\\c\n\t\x01\x7F ÷ €"));
  const std::string text = json::WriteCompact(v);
  EXPECT_EQ(text, "\"a\\\"b\\\\c\\n\\t\\u0001\x7F ÷ €\"");
  EXPECT_EQ(MustParse(text), v);
  // Escapes, including a surrogate pair and an escaped NUL.
  EXPECT_EQ(MustParse(R"("\u00f7\/\ud83d\ude00\u0000x")").get<std::string>(),
            std::string("÷/\xF0\x9F\x98\x80") + std::string(1, '\0') + "x");
  // A byte that is not UTF-8 never makes invalid output.
  const std::string bad = json::WriteCompact(json::Value(std::string("A\xFF" "B")));
  EXPECT_EQ(bad, "\"A\xEF\xBF\xBD" "B\"");
  EXPECT_EQ(MustParse(bad).get<std::string>(), "A\xEF\xBF\xBD" "B");
}

TEST(Json, MalformedInputIsRefusedWithPositionAndReason) {
  struct Case {
    const char* text;
    int line, column;
    const char* reason;
  };
  const Case cases[] = {
      {"", 1, 1, "unexpected end of input"},
      {"{\"a\": 1,}", 1, 9, "trailing comma"},
      {"[1 2]", 1, 4, "expected ',' or ']'"},
      {"{\n  \"a\" 1\n}", 2, 7, "expected ':'"},
      {"{\"a\":1, \"a\":2}", 1, 9, "duplicate member name \"a\""},
      {"01", 1, 2, "leading zero"},
      {"-", 1, 2, "a digit must follow '-'"},
      {"1e+", 1, 4, "exponent has no digits"},
      {"NaN", 1, 1, "unexpected character"},
      {"\"abc", 1, 5, "end of input inside a string"},
      {"\"a\tb\"", 1, 3, "control character"},
      {"\"\\x\"", 1, 3, "invalid escape"},
      {"\"\\u12G4\"", 1, 6, "four hexadecimal digits"},
      {"\"\\ud800x\"", 1, 2, "high surrogate"},
      {"\"\\udc00\"", 1, 2, "lone low surrogate"},
      {"\"\xC0\xAF\"", 1, 2, "invalid UTF-8"},
      {"{} x", 1, 4, "unexpected text after the value"},
  };
  for (const auto& c : cases) {
    json::ParseError e = MustFail(c.text);
    EXPECT_EQ(e.line, c.line) << c.text;
    EXPECT_EQ(e.column, c.column) << c.text;
    EXPECT_NE(e.reason.find(c.reason), std::string::npos) << c.text << ": " << e.reason;
  }
  EXPECT_EQ(MustFail("{\n  \"a\" 1\n}").Message(), "line 2, column 7: expected ':' after an object member name");
}

TEST(Json, NestingIsBoundedByTheDepthLimit) {
  EXPECT_TRUE(MustParse(std::string(64, '[') + std::string(64, ']')).is_array());
  EXPECT_NE(MustFail(std::string(65, '[') + std::string(65, ']')).reason.find("nesting deeper than 64"),
            std::string::npos);
  EXPECT_NE(MustFail("{\"a\":{\"b\":1}}", 1).reason.find("nesting"), std::string::npos);
  // A hostile depth far beyond any stack is refused, not followed.
  std::string hostile(1'000'000, '[');
  MustFail(hostile);
}

TEST(Json, RandomGarbageNeverCrashesTheParser) {
  std::mt19937 rng(12345);
  const std::string alphabet = "{}[]\",:\\0123456789.eE+-truefalsn \n\t\x80\xC3\xFFu";
  const std::string seed = R"({"a": [1, -2.5e3, "x\u00e9", true, null, {"b": {}}]})";
  int accepted = 0;
  for (int i = 0; i < 20000; ++i) {
    std::string s = seed;
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int k = 0; k < edits; ++k) {
      const std::size_t at = rng() % (s.size() + 1);
      switch (rng() % 3) {
        case 0: s.insert(at, 1, alphabet[rng() % alphabet.size()]); break;
        case 1: if (at < s.size()) s.erase(at, 1); break;
        default: if (at < s.size()) s[at] = alphabet[rng() % alphabet.size()];
      }
    }
    json::ParseError e;
    if (auto v = json::Parse(s, e)) {
      ++accepted;
      // Whatever is accepted must survive the writer and read back equal.
      json::ParseError e2;
      auto again = json::Parse(json::Write(*v), e2);
      ASSERT_TRUE(again.has_value()) << s;
      EXPECT_EQ(*again, *v);
    } else {
      EXPECT_LE(e.offset, s.size());
    }
  }
  EXPECT_GT(accepted, 0);
}
