// The plug-in property resource (the host's "PiPL", resource type "PIPL", id 16000, language
// 1033) as its exact bytes. The library carries them in its ELF section ".pipl", where the host
// reads them before loading it.
//
// Layout, little-endian: 16-bit 1, 32-bit 0, 32-bit property count, then each property as vendor
// "8BIM", key, 32-bit id 0, 32-bit data length, data padded with zeros to a multiple of four.
// Four-character codes are stored byte-reversed. Strings are a length byte and the characters,
// padded, with the padded length in the length field; the entry point is NUL-terminated, padded.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace Orvane::Mosaira {
namespace detail {

class PiplWriter {
 public:
  static constexpr size_t kSize = 282;
  using Bytes = std::array<uint8_t, kSize>;

  constexpr void U16(uint32_t v) {
    Byte(v);
    Byte(v >> 8);
  }
  constexpr void U32(uint32_t v) {
    U16(v & 0xFFFF);
    U16(v >> 16);
  }
  // A four-character code as the resource tools store it: last character first.
  constexpr void Code(const char* c) {
    for (int i = 3; i >= 0; --i) Byte(static_cast<uint8_t>(c[i]));
  }
  constexpr void Header(const char* key, uint32_t length) {
    Code("8BIM");
    Code(key);
    U32(0);
    U32(length);
  }
  constexpr void PropCode(const char* key, const char* value) {
    Header(key, 4);
    Code(value);
  }
  constexpr void PropU32(const char* key, uint32_t value) {
    Header(key, 4);
    U32(value);
  }
  constexpr void PropVersion(const char* key, uint32_t major, uint32_t minor) {
    Header(key, 4);
    U16(major);
    U16(minor);
  }
  constexpr void PropShort(const char* key, uint32_t value) {
    Header(key, 2);
    U16(value);
    U16(0);  // padding
  }
  // Pascal string: length byte, characters, zeros to a multiple of four.
  constexpr void PropPString(const char* key, const char* text) {
    const size_t n = Length(text);
    Header(key, static_cast<uint32_t>(Padded(n + 1)));
    Byte(static_cast<uint8_t>(n));
    Chars(text, n, Padded(n + 1) - 1);
  }
  // C string: characters, NUL, zeros to a multiple of four.
  constexpr void PropCString(const char* key, const char* text) {
    const size_t n = Length(text);
    Header(key, static_cast<uint32_t>(Padded(n + 1)));
    Chars(text, n, Padded(n + 1));
  }

  constexpr const Bytes& bytes() const { return bytes_; }
  constexpr size_t size() const { return at_; }

 private:
  static constexpr size_t Length(const char* s) {
    size_t n = 0;
    while (s[n] != '\0') ++n;
    return n;
  }
  static constexpr size_t Padded(size_t n) { return (n + 3) / 4 * 4; }
  constexpr void Byte(uint32_t v) { bytes_[at_++] = static_cast<uint8_t>(v & 0xFF); }
  constexpr void Chars(const char* s, size_t n, size_t total) {
    for (size_t i = 0; i < total; ++i) Byte(i < n ? static_cast<uint8_t>(s[i]) : 0);
  }

  Bytes bytes_{};
  size_t at_ = 0;
};

constexpr PiplWriter BuildPipl() {
  PiplWriter w;
  w.U16(1);   // list kind
  w.U32(0);   // version
  w.U32(12);  // property count
  w.PropCode("kind", "eFKT");
  w.PropPString("name", "Tiletta");
  w.PropPString("catg", "Kestrelle");
  w.PropCString("8664", "EntryPointFunc");
  w.PropVersion("ePVR", 2, 0);
  w.PropVersion("eSVR", 13, 15);
  w.PropU32("eVER", 0x00080001);
  w.PropShort("eINF", 0);
  w.PropU32("eGLO", 0x04008000);
  w.PropU32("eGL2", 0x00001400);
  w.PropU32("aeFL", 8);
  w.PropPString("eMNA", "QV_Tiletta");
  return w;
}

}  // namespace detail

inline constexpr size_t kPiplSize = detail::PiplWriter::kSize;
inline constexpr std::array<uint8_t, kPiplSize> kPiplBytes = detail::BuildPipl().bytes();
static_assert(detail::BuildPipl().size() == kPiplSize, "every byte of the resource is written");

}  // namespace Orvane::Mosaira
