// Arbitrary text given to `korventa-cli write --form`: the JSON parser and
// the form reader must refuse garbage cleanly, and a document they accept
// must write back to a document that reads the same.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/json.h"
#include "config/form_fields.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korventa;
  const std::string text(reinterpret_cast<const char*>(data), size);
  json::ParseError error;
  auto doc = json::Parse(text, error);
  if (!doc) return 0;
  FrmProgram form;
  std::string why;
  if (!FormFromJson(*doc, form, why)) return 0;
  // What was accepted survives a trip through the writer and the parser.
  const std::string again = json::Write(FormToJson(form));
  auto reread = json::Parse(again, error);
  if (!reread) std::abort();
  FrmProgram copy;
  if (!FormFromJson(*reread, copy, why)) std::abort();
  if (json::Write(FormToJson(copy)) != again) std::abort();
  return 0;
}
