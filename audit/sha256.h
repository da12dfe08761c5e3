#pragma once
// SHA-256 of a page's bytes: the to-do list's proof that a page is still the
// one that was audited. The platform's own implementation computes it
// (sha256_openssl.cpp, sha256_bcrypt.cpp), which uses the processor's SHA
// instructions where it has them.
#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace audit {

// The digest of bytes given piece by piece, without holding them all.
// Throws host::Error with the library's code when the library fails.
class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  void Add(std::string_view bytes);
  // Once, after the last Add.
  std::string Hex();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// 64 lower-case hexadecimal digits.
inline std::string Sha256Hex(std::string_view bytes) {
  Sha256 hash;
  hash.Add(bytes);
  return hash.Hex();
}

// The 32 bytes of a digest as Sha256Hex spells them.
inline std::string DigestHex(const std::array<unsigned char, 32>& digest) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out(64, '0');
  for (std::size_t i = 0; i < digest.size(); ++i) {
    out[2 * i] = kHex[digest[i] >> 4];
    out[2 * i + 1] = kHex[digest[i] & 0xF];
  }
  return out;
}

}  // namespace audit
