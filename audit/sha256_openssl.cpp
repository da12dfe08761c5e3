// SHA-256 by OpenSSL's libcrypto, through EVP, which picks the processor's
// SHA instructions where there are any.
#include <openssl/crypto.h>
#include <openssl/err.h>
#include <openssl/evp.h>

#include "audit/sha256.h"
#include "host/error.h"

namespace audit {

namespace {

// Fetched once for the run, not by each digest. No configuration file can
// change what SHA-256 is, and reading the system's takes longer than hashing
// a page.
const EVP_MD* Sha256Md() {
  static const EVP_MD* const md = [] {
    OPENSSL_init_crypto(OPENSSL_INIT_NO_LOAD_CONFIG, nullptr);
    return EVP_MD_fetch(nullptr, "SHA256", nullptr);
  }();
  return md;
}

[[noreturn]] void Fail() {
  // The library's own words, which carry its error number.
  char reason[256] = "no reason given";
  if (const unsigned long error = ERR_get_error()) ERR_error_string_n(error, reason, sizeof reason);
  ERR_clear_error();
  throw host::Error(host::code::Unexpected, host::FromUtf8(std::string("SHA-256 failed: ") + reason));
}

}  // namespace

struct Sha256::State {
  std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context{EVP_MD_CTX_new(), &EVP_MD_CTX_free};
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
  const EVP_MD* md = Sha256Md();
  if (!md || !state_->context || EVP_DigestInit_ex(state_->context.get(), md, nullptr) != 1) Fail();
}

Sha256::~Sha256() = default;

void Sha256::Add(std::string_view bytes) {
  if (EVP_DigestUpdate(state_->context.get(), bytes.data(), bytes.size()) != 1) Fail();
}

std::string Sha256::Hex() {
  std::array<unsigned char, 32> digest{};
  unsigned int size = 0;
  if (EVP_DigestFinal_ex(state_->context.get(), digest.data(), &size) != 1 || size != digest.size()) Fail();
  return DigestHex(digest);
}

}  // namespace audit
