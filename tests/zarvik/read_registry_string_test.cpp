// Reading the add-in entries' strings through the 8-bit registry calls.
#include "zarvik/mod_registry.h"

#include <gtest/gtest.h>

#include <functional>

#include "standin/registry.h"
#include "standin/windows1252.h"

namespace {

namespace reg = host::reg;
using host::Text;
using host::Variant;

constexpr const char* Key = "HKEY_CURRENT_USER\\SOFTWARE\\Zarvik\\Add-ins";
const Text SubKey = u"SOFTWARE\\Zarvik\\Add-ins";

// Lets a test change the registry between the reader's two queries, as
// another program may.
class ChangingBetweenQueries : public host::Advapi32 {
 public:
  explicit ChangingBetweenQueries(standin::Registry& registry) : registry_(registry) {}
  std::function<void()> afterFirstQuery;

  std::int32_t RegOpenKeyA(host::HKEY32 hKey, const std::string& subKey, host::HKEY32& result) override {
    return registry_.RegOpenKeyA(hKey, subKey, result);
  }
  std::int32_t RegQueryValueExA(host::HKEY32 hKey, const std::string& name, std::uint32_t reserved, std::uint32_t& type,
                                std::uint8_t* data, std::uint32_t& size) override {
    const auto result = registry_.RegQueryValueExA(hKey, name, reserved, type, data, size);
    if (auto change = std::exchange(afterFirstQuery, nullptr)) change();
    return result;
  }
  std::int32_t RegCloseKey(host::HKEY32 hKey) override { return registry_.RegCloseKey(hKey); }

 private:
  standin::Registry& registry_;
};

class ReadRegistryString : public ::testing::Test {
 protected:
  Variant Read(const Text& name, const Text& subKey = SubKey) {
    return zarvik::ReadRegistryString(registry, codePage, host::kHkeyCurrentUser, subKey, name);
  }
  standin::Registry registry;
  standin::Windows1252 codePage;
};

TEST_F(ReadRegistryString, TheMapnoteEntryComesBackWithoutItsNul) {
  registry.SetString(Key, "1", "Mapnote,Tessaly...");
  EXPECT_EQ(Read(u"1"), Variant(u"Mapnote,Tessaly..."));
  EXPECT_EQ(Read(u"1"), Variant(u"Mapnote,Tessaly..."));  // and again, the same
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

TEST_F(ReadRegistryString, NothingToReadIsAnEmptyVariantThatReadsAsEmptyText) {
  registry.SetString(Key, "expand", "Mapnote,Tessaly...", reg::kRegExpandSz);
  registry.SetDword(Key, "number", 0x2C41);  // "A," in its bytes, still no string
  registry.SetValue(Key, "multi", reg::kRegMultiSz, {'a', ',', 'b', 0, 0});
  for (const Text& name : {Text(u"missing"), Text(u"expand"), Text(u"number"), Text(u"multi")}) {
    const Variant value = Read(name);
    EXPECT_TRUE(value.IsEmpty()) << host::ToUtf8(name);
    EXPECT_EQ(value.ToText(), u"");
  }
  EXPECT_TRUE(Read(u"1", u"SOFTWARE\\Nowhere").IsEmpty());
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

TEST_F(ReadRegistryString, EmptyStringsAreStringsAndTheTextEndsAtTheFirstNul) {
  registry.SetString(Key, "nul only", "");
  registry.SetString(Key, "zero bytes", "", reg::kRegSz, standin::Nul::Unterminated);
  registry.SetString(Key, "unterminated", "Mapnote,Tessaly...", reg::kRegSz, standin::Nul::Unterminated);
  registry.SetValue(Key, "inner nul", reg::kRegSz, {'A', 'b', 0, 'c', 'd', 0});
  EXPECT_EQ(Read(u"nul only"), Variant(u""));
  EXPECT_EQ(Read(u"zero bytes"), Variant(u""));
  EXPECT_EQ(Read(u"unterminated"), Variant(u"Mapnote,Tessaly..."));
  EXPECT_EQ(Read(u"inner nul"), Variant(u"Ab"));
}

TEST_F(ReadRegistryString, AnsiTextBecomesUtf16) {
  registry.SetString(Key, "1", "Mapnote,Caf\xE9 \x80");
  EXPECT_EQ(Read(u"1"), Variant(u"Mapnote,Caf\u00E9 \u20AC"));
}

TEST_F(ReadRegistryString, ANulPastPosition32767OverflowsAndTheKeyIsStillClosed) {
  registry.SetString(Key, "fits", std::string(32766, 'x'));  // NUL at 32,767
  registry.SetString(Key, "too far", std::string(32767, 'x'));  // NUL at 32,768
  registry.SetString(Key, "long, no nul", std::string(40000, 'x'), reg::kRegSz, standin::Nul::Unterminated);
  EXPECT_EQ(Read(u"fits").ToText().size(), 32766u);
  try {
    Read(u"too far");
    ADD_FAILURE() << "no overflow";
  } catch (const host::Error& e) {
    EXPECT_EQ(e.code(), host::code::Overflow);
  }
  EXPECT_EQ(Read(u"long, no nul").ToText().size(), 40000u);
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

TEST_F(ReadRegistryString, AValueChangedBetweenTheTwoQueries) {
  ChangingBetweenQueries changing(registry);
  auto read = [&] { return zarvik::ReadRegistryString(changing, codePage, host::kHkeyCurrentUser, SubKey, u"1"); };

  registry.SetString(Key, "1", "Mapnote,Tessaly...");
  changing.afterFirstQuery = [&] { registry.SetString(Key, "1", "Mapnote,Tessaly... and more"); };
  EXPECT_TRUE(read().IsEmpty()) << "grown";

  registry.SetString(Key, "1", "Mapnote,Tessaly...");
  changing.afterFirstQuery = [&] { registry.DeleteValue(Key, "1"); };
  EXPECT_TRUE(read().IsEmpty()) << "removed";

  // Shrunk and stored without its NUL: what the query did not write stays blank.
  registry.SetString(Key, "1", "abcdef");
  changing.afterFirstQuery = [&] { registry.SetString(Key, "1", "xyz", reg::kRegSz, standin::Nul::Unterminated); };
  EXPECT_EQ(read(), Variant(u"xyz    "));
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

}  // namespace
