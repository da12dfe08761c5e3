// Digests against published ones, at the lengths where the padding takes
// one block or two.
#include <gtest/gtest.h>

#include "audit/sha256.h"

namespace {

struct Vector {
  std::string message;
  const char* digest;
};

TEST(Sha256, MatchesTheKnownDigests) {
  const Vector vectors[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
      {std::string(56, 'a'), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
      {std::string(63, 'a'), "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34"},
      {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
      {std::string(65, 'a'), "635361c48bb9eab14198e76ea8ab7f1a41685d6ad62aa9146d301d4f17eb0ae0"},
      {std::string(119, 'a'), "31eba51c313a5c08226adf18d4a359cfdfd8d2e816b13f4af952f7ea6584dcfb"},
      {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
      {std::string("\x00\xff\x80", 3), "f742b965f156c10374bc23aea96e3a8aff8facd6fc079defeaa30219ad86f211"},
  };
  for (const auto& v : vectors) {
    EXPECT_EQ(audit::Sha256Hex(v.message), v.digest) << "length " << v.message.size();
    // Given in pieces of every length up to past a block, as a report's id is.
    audit::Sha256 pieces;
    for (std::size_t at = 0, n = 1; at < v.message.size(); at += n, n = n % 97 + 1) pieces.Add(std::string_view(v.message).substr(at, n));
    EXPECT_EQ(pieces.Hex(), v.digest) << "in pieces, length " << v.message.size();
  }
}

}  // namespace
