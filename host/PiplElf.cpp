// The property resource of a Linux library: the ELF section ".pipl".
#include <elf.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "host/Pipl.h"

namespace Orvane::Mosaira {
namespace {

// Largest section returned: a property list is a few hundred bytes, so anything near this is damage.
constexpr uint64_t kMaxSectionBytes = uint64_t(1) << 20;

// True when [offset, offset + size) lies inside a file of `total` bytes, without overflow.
bool InRange(uint64_t offset, uint64_t size, uint64_t total) {
  return offset <= total && size <= total - offset;
}

// The file, read only where asked: a library can be large (tens of megabytes in the sanitizer
// build), and a file named by mistake larger still, so only the header, the section table, the
// name compared and the section itself are read.
class ElfFile {
 public:
  explicit ElfFile(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return;
    size_ = std::filesystem::file_size(path, ec);
    if (!ec) in_.open(path, std::ios::binary);
  }
  bool IsOpen() const { return in_.is_open(); }
  uint64_t Size() const { return size_; }
  // `count` bytes at `offset`; false when they lie outside the file or cannot be read.
  bool Read(uint64_t offset, uint64_t count, void* out) {
    if (!InRange(offset, count, size_)) return false;
    in_.clear();
    in_.seekg(std::streamoff(offset));
    in_.read(static_cast<char*>(out), std::streamsize(count));
    return uint64_t(in_.gcount()) == count;
  }
  template <typename T>
  bool Load(uint64_t offset, T* value) {
    return Read(offset, sizeof *value, value);
  }

 private:
  std::ifstream in_;
  uint64_t size_ = 0;
};

// Whether the zero-terminated name at `offset` (inside a string table ending at `end`) is `name`.
bool NameIs(ElfFile& file, uint64_t offset, uint64_t end, const std::string& name) {
  std::string stored(name.size() + 1, '\0');
  const uint64_t count = std::min<uint64_t>(stored.size(), end - offset);
  return file.Read(offset, count, stored.data()) && count == stored.size() && stored.back() == '\0' &&
         stored.compare(0, name.size(), name) == 0;
}

}  // namespace

PiplError ReadElfSection(const std::string& path, const std::string& sectionName,
                         std::vector<uint8_t>* bytes) {
  bytes->clear();
  ElfFile file(path);
  if (!file.IsOpen()) return PiplError::kFileUnreadable;
  Elf64_Ehdr header{};
  if (!file.Load(0, &header)) return file.Size() < sizeof header ? PiplError::kNotElf64 : PiplError::kFileUnreadable;
  if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64 ||
      header.e_ident[EI_DATA] != ELFDATA2LSB) {
    return PiplError::kNotElf64;
  }
  if (header.e_shentsize != sizeof(Elf64_Shdr) || header.e_shstrndx >= header.e_shnum ||
      !InRange(header.e_shoff, uint64_t(header.e_shnum) * sizeof(Elf64_Shdr), file.Size())) {
    return PiplError::kNotElf64;
  }
  std::vector<Elf64_Shdr> sections(header.e_shnum);
  if (!file.Read(header.e_shoff, sections.size() * sizeof(Elf64_Shdr), sections.data())) {
    return PiplError::kFileUnreadable;
  }
  const Elf64_Shdr& names = sections[header.e_shstrndx];
  if (!InRange(names.sh_offset, names.sh_size, file.Size())) return PiplError::kNotElf64;
  for (const Elf64_Shdr& s : sections) {
    if (s.sh_name >= names.sh_size ||
        !NameIs(file, names.sh_offset + s.sh_name, names.sh_offset + names.sh_size, sectionName)) {
      continue;
    }
    if (s.sh_type == SHT_NOBITS || s.sh_size > kMaxSectionBytes || !InRange(s.sh_offset, s.sh_size, file.Size())) {
      return PiplError::kTruncated;
    }
    bytes->resize(size_t(s.sh_size));
    if (!file.Read(s.sh_offset, s.sh_size, bytes->data())) {
      bytes->clear();
      return PiplError::kFileUnreadable;
    }
    return PiplError::kNone;
  }
  return PiplError::kNoSection;
}

PiplError ReadLibraryPipl(const std::string& path, std::vector<uint8_t>* bytes) {
  return ReadElfSection(path, ".pipl", bytes);
}

}  // namespace Orvane::Mosaira
