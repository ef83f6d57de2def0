// Picture files made byte by byte, so that the tests can give the readers
// what other programs write (grey, alpha, 16-bit samples) and what no writer
// makes (lying headers).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelvo::test {

inline std::string Be32(std::uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16 & 255), static_cast<char>(v >> 8 & 255),
          static_cast<char>(v & 255)};
}

inline std::uint32_t Crc32(const std::string& bytes) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (const char ch : bytes) {
    c ^= static_cast<unsigned char>(ch);
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
  }
  return c ^ 0xFFFFFFFFu;
}

inline std::string PngChunk(const std::string& type, const std::string& data) {
  return Be32(static_cast<std::uint32_t>(data.size())) + type + data + Be32(Crc32(type + data));
}

// A PNG file of the colour type (0 grey, 2 RGB, 4 grey and alpha, 6 RGBA) and
// depth whose rows (each without its filter byte, samples big-endian) are
// stored uncompressed.
inline std::string MakePng(std::uint32_t width, std::uint32_t height, int colour_type, int bits,
                           const std::vector<std::string>& rows) {
  std::string raw;
  for (const std::string& row : rows) raw += '\0' + row;
  // zlib: stored blocks of at most 65535 bytes, then the Adler-32 sum.
  std::string z = "\x78\x01";
  for (std::size_t at = 0; at < raw.size() || at == 0; at += 65535) {
    const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
    z += static_cast<char>(at + n >= raw.size() ? 1 : 0);
    z += {static_cast<char>(n & 255), static_cast<char>(n >> 8), static_cast<char>(~n & 255),
          static_cast<char>(~n >> 8 & 255)};
    z += raw.substr(at, n);
    if (raw.empty()) break;
  }
  std::uint32_t a = 1, b = 0;
  for (const char ch : raw) {
    a = (a + static_cast<unsigned char>(ch)) % 65521;
    b = (b + a) % 65521;
  }
  z += Be32(b << 16 | a);
  const std::string ihdr = Be32(width) + Be32(height) + static_cast<char>(bits) + static_cast<char>(colour_type) +
                           std::string(3, '\0');
  return "\x89PNG\r\n\x1A\n" + PngChunk("IHDR", ihdr) + PngChunk("IDAT", z) + PngChunk("IEND", "");
}

inline std::string Be16(unsigned v) { return {static_cast<char>(v >> 8 & 255), static_cast<char>(v & 255)}; }

}  // namespace zelvo::test
