// Writes the plug-in's property resource bytes to the file named by its one argument. The Windows
// build runs it on the build machine and compiles the file into the library's resources, so the
// resource is exactly the bytes the Linux library carries in its ".pipl" section.
#include <cstdio>

#include "effect/PiplBytes.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: WritePipl OUT.bin\n", stderr);
    return 2;
  }
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  const auto& bytes = Orvane::Mosaira::kPiplBytes;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  if (std::fclose(out) != 0 || !written) {
    std::fprintf(stderr, "%s: write failed\n", argv[1]);
    return 1;
  }
  return 0;
}
