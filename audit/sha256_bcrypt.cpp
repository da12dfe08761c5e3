// SHA-256 by Windows' own CNG (bcrypt.dll, every Windows since Vista).
#include <windows.h>
#include <bcrypt.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <vector>

#include "audit/sha256.h"
#include "host/com/hresult_error.h"

namespace audit {
namespace {

void Check(NTSTATUS status, const char* call) {
  if (BCRYPT_SUCCESS(status)) return;
  char reason[96];
  std::snprintf(reason, sizeof reason, "SHA-256 failed: %s returned 0x%08lX", call, static_cast<unsigned long>(status));
  host::com::ThrowHresult(HRESULT_FROM_NT(status), host::FromUtf8(reason));
}

// Opened once for the process: the provider may serve every thread, each
// hash being its own object.
class Provider {
 public:
  Provider() {
    Check(BCryptOpenAlgorithmProvider(&handle_, BCRYPT_SHA256_ALGORITHM, nullptr, 0), "BCryptOpenAlgorithmProvider");
    ULONG written = 0;
    const NTSTATUS status = BCryptGetProperty(handle_, BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&objectSize_),
                                              sizeof objectSize_, &written, 0);
    if (!BCRYPT_SUCCESS(status)) BCryptCloseAlgorithmProvider(handle_, 0);
    Check(status, "BCryptGetProperty");
  }
  ~Provider() { BCryptCloseAlgorithmProvider(handle_, 0); }
  Provider(const Provider&) = delete;
  Provider& operator=(const Provider&) = delete;

  BCRYPT_ALG_HANDLE handle() const { return handle_; }
  // Vista wants the hash object's memory from the caller.
  DWORD objectSize() const { return objectSize_; }

 private:
  BCRYPT_ALG_HANDLE handle_ = nullptr;
  DWORD objectSize_ = 0;
};

class Hash {
 public:
  explicit Hash(const Provider& provider) : object_(provider.objectSize()) {
    Check(BCryptCreateHash(provider.handle(), &handle_, object_.data(), static_cast<ULONG>(object_.size()), nullptr, 0, 0),
          "BCryptCreateHash");
  }
  ~Hash() { BCryptDestroyHash(handle_); }
  Hash(const Hash&) = delete;
  Hash& operator=(const Hash&) = delete;

  BCRYPT_HASH_HANDLE handle() const { return handle_; }

 private:
  std::vector<UCHAR> object_;
  BCRYPT_HASH_HANDLE handle_ = nullptr;
};

const Provider& TheProvider() {
  static const Provider provider;
  return provider;
}

}  // namespace

struct Sha256::State {
  Hash hash{TheProvider()};
};

Sha256::Sha256() : state_(std::make_unique<State>()) {}

Sha256::~Sha256() = default;

void Sha256::Add(std::string_view bytes) {
  // The call takes at most a ULONG's worth at a time; the input is only read.
  auto* data = reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data()));
  for (std::size_t done = 0; done < bytes.size();) {
    const ULONG part = static_cast<ULONG>(std::min<std::size_t>(bytes.size() - done, std::numeric_limits<ULONG>::max()));
    Check(BCryptHashData(state_->hash.handle(), data + done, part, 0), "BCryptHashData");
    done += part;
  }
}

std::string Sha256::Hex() {
  std::array<unsigned char, 32> digest{};
  Check(BCryptFinishHash(state_->hash.handle(), digest.data(), static_cast<ULONG>(digest.size()), 0), "BCryptFinishHash");
  return DigestHex(digest);
}

}  // namespace audit
