// The property resource of a Linux library: the ELF section ".pipl".
#include <elf.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "host/Pipl.h"

namespace Orvane::Mosaira {
namespace {

// Reads the file in one block (a library of the sanitizer build is tens of megabytes). Anything
// but a readable regular file is refused.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* out) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  const uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec || size > out->max_size()) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out->resize(size_t(size));
  in.read(reinterpret_cast<char*>(out->data()), std::streamsize(size));
  return size_t(in.gcount()) == out->size();
}

// True when [offset, offset + size) lies inside a buffer of `total` bytes, without overflow.
bool InRange(uint64_t offset, uint64_t size, uint64_t total) {
  return offset <= total && size <= total - offset;
}

template <typename T>
T Load(const std::vector<uint8_t>& bytes, size_t offset) {
  T value;
  std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

}  // namespace

PiplError ReadElfSection(const std::string& path, const std::string& sectionName,
                         std::vector<uint8_t>* bytes) {
  bytes->clear();
  std::vector<uint8_t> file;
  if (!ReadWholeFile(path, &file)) return PiplError::kFileUnreadable;
  if (file.size() < sizeof(Elf64_Ehdr) || std::memcmp(file.data(), ELFMAG, SELFMAG) != 0 ||
      file[EI_CLASS] != ELFCLASS64 || file[EI_DATA] != ELFDATA2LSB) {
    return PiplError::kNotElf64;
  }
  const auto header = Load<Elf64_Ehdr>(file, 0);
  if (header.e_shentsize != sizeof(Elf64_Shdr) || header.e_shstrndx >= header.e_shnum ||
      !InRange(header.e_shoff, uint64_t(header.e_shnum) * sizeof(Elf64_Shdr), file.size())) {
    return PiplError::kNotElf64;
  }
  const auto sectionAt = [&](size_t i) {
    return Load<Elf64_Shdr>(file, header.e_shoff + i * sizeof(Elf64_Shdr));
  };
  const Elf64_Shdr names = sectionAt(header.e_shstrndx);
  if (!InRange(names.sh_offset, names.sh_size, file.size())) return PiplError::kNotElf64;
  for (size_t i = 0; i < header.e_shnum; ++i) {
    const Elf64_Shdr s = sectionAt(i);
    if (s.sh_name >= names.sh_size) continue;
    const char* name = reinterpret_cast<const char*>(file.data() + names.sh_offset + s.sh_name);
    const size_t maxLen = names.sh_size - s.sh_name;
    if (strnlen(name, maxLen) == maxLen || sectionName != name) continue;
    if (s.sh_type == SHT_NOBITS || !InRange(s.sh_offset, s.sh_size, file.size())) {
      return PiplError::kTruncated;
    }
    bytes->assign(file.begin() + s.sh_offset, file.begin() + s.sh_offset + s.sh_size);
    return PiplError::kNone;
  }
  return PiplError::kNoSection;
}

PiplError ReadLibraryPipl(const std::string& path, std::vector<uint8_t>* bytes) {
  return ReadElfSection(path, ".pipl", bytes);
}

}  // namespace Orvane::Mosaira
