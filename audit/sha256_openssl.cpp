// SHA-256 by OpenSSL's libcrypto, through EVP, which picks the processor's
// SHA instructions where there are any.
#include <openssl/err.h>
#include <openssl/evp.h>

#include "audit/sha256.h"
#include "host/error.h"

namespace audit {

std::string Sha256Hex(std::string_view bytes) {
  std::array<unsigned char, 32> digest{};
  unsigned int size = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &size, EVP_sha256(), nullptr) != 1 ||
      size != digest.size()) {
    // The library's own words, which carry its error number.
    char reason[256] = "no reason given";
    if (const unsigned long error = ERR_get_error()) ERR_error_string_n(error, reason, sizeof reason);
    ERR_clear_error();
    throw host::Error(host::code::Unexpected, host::FromUtf8(std::string("SHA-256 failed: ") + reason));
  }
  return DigestHex(digest);
}

}  // namespace audit
