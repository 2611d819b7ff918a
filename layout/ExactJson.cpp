// The reader of our own JSON. RapidJSON's default number parsing can miss the last step of a
// double, and its full-precision path has undefined behaviour for a zero with a large exponent
// ("0e308"), so numbers are taken as text and converted here with std::from_chars.
#include <charconv>
#include <cstdint>
#include <limits>
#include <system_error>

#include "layout/LayoutJson.h"

namespace Orvane::Mosaira {
namespace {

// Builds the document from RapidJSON's events, with numbers converted from their text.
class ExactNumbers : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, ExactNumbers> {
 public:
  explicit ExactNumbers(rapidjson::Document& doc) : doc_(doc) {}
  bool Default() { return false; }  // numbers arrive only as text (kParseNumbersAsStringsFlag)
  bool Null() { return doc_.Null(); }
  bool Bool(bool b) { return doc_.Bool(b); }
  bool String(const char* s, rapidjson::SizeType n, bool copy) { return doc_.String(s, n, copy); }
  bool Key(const char* s, rapidjson::SizeType n, bool copy) { return doc_.Key(s, n, copy); }
  bool StartObject() { return doc_.StartObject(); }
  bool EndObject(rapidjson::SizeType n) { return doc_.EndObject(n); }
  bool StartArray() { return doc_.StartArray(); }
  bool EndArray(rapidjson::SizeType n) { return doc_.EndArray(n); }
  bool RawNumber(const char* s, rapidjson::SizeType n, bool) {
    const char* end = s + n;
    int64_t whole = 0;
    const auto [wholeEnd, wholeErr] = std::from_chars(s, end, whole);
    if (wholeErr == std::errc() && wholeEnd == end) return Integer(whole);
    double d = 0.0;
    const auto [dEnd, dErr] = std::from_chars(s, end, d);
    return dErr == std::errc() && dEnd == end && doc_.Double(d);
  }

 private:
  // Stored as RapidJSON itself would store the integer, so IsInt()/IsUint() answer as before.
  bool Integer(int64_t v) {
    if (v >= 0 && v <= int64_t(std::numeric_limits<unsigned>::max())) return doc_.Uint(unsigned(v));
    if (v < 0 && v >= int64_t(std::numeric_limits<int>::min())) return doc_.Int(int(v));
    return doc_.Int64(v);
  }
  rapidjson::Document& doc_;
};

}  // namespace

bool ParseOwnJson(rapidjson::Document* doc, const char* text, size_t length) {
  rapidjson::MemoryStream stream(text, length);
  rapidjson::Reader reader;
  bool ok = false;
  auto generate = [&](rapidjson::Document& target) {
    ExactNumbers handler(target);
    // Without kParseStopWhenDoneFlag anything after the value is refused, as a plain parse does.
    constexpr unsigned kFlags = rapidjson::kParseIterativeFlag | rapidjson::kParseNumbersAsStringsFlag;
    ok = !reader.Parse<kFlags>(stream, handler).IsError();
    return ok;
  };
  doc->Populate(generate);
  if (!ok) doc->SetNull();
  return ok;
}

}  // namespace Orvane::Mosaira
