// The stand-in registry as the 8-bit advapi32 calls and the tests see it.
#include "standin/registry.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "standin/windows1252.h"

namespace {

using host::kHkeyCurrentUser;
using host::HKEY32;
namespace reg = host::reg;

constexpr const char* Key = "HKEY_CURRENT_USER\\SOFTWARE\\Zarvik\\Add-ins";

class RegistryQuery : public ::testing::Test {
 protected:
  void SetUp() override {
    registry.SetString(Key, "1", "Mapnote,Tessaly...");
    ASSERT_EQ(registry.RegOpenKeyA(kHkeyCurrentUser, "SOFTWARE\\Zarvik\\Add-ins", key), reg::kErrorSuccess);
  }
  standin::Registry registry;
  HKEY32 key = 0;
};

TEST_F(RegistryQuery, NullDataReportsTypeAndSizeWithTheNul) {
  std::uint32_t type = 0, size = 0;
  EXPECT_EQ(registry.RegQueryValueExA(key, "1", 0, type, nullptr, size), reg::kErrorSuccess);
  EXPECT_EQ(type, reg::kRegSz);
  EXPECT_EQ(size, 19u);
}

TEST_F(RegistryQuery, TooSmallBufferGivesMoreDataAndTheNeededSizeWithoutWriting) {
  std::uint32_t type = 0, size = 5;
  std::uint8_t buffer[5] = {'x', 'x', 'x', 'x', 'x'};
  EXPECT_EQ(registry.RegQueryValueExA(key, "1", 0, type, buffer, size), reg::kErrorMoreData);
  EXPECT_EQ(size, 19u);
  EXPECT_EQ(type, reg::kRegSz);
  EXPECT_EQ(buffer[0], 'x');
}

TEST_F(RegistryQuery, FailuresLeaveTheTypeAsItWas) {
  std::uint32_t type = 77, size = 0;
  EXPECT_EQ(registry.RegQueryValueExA(key, "2", 0, type, nullptr, size), reg::kErrorFileNotFound);
  EXPECT_EQ(registry.RegQueryValueExA(0, "1", 0, type, nullptr, size), reg::kErrorInvalidHandle);
  EXPECT_EQ(registry.RegQueryValueExA(key, "1", 1, type, nullptr, size), standin::reg::kErrorInvalidParameter);
  EXPECT_EQ(type, 77u);
}

TEST_F(RegistryQuery, NamesCompareWithoutRegardToCase) {
  HKEY32 other = 0;
  EXPECT_EQ(registry.RegOpenKeyA(kHkeyCurrentUser, "software\\ZARVIK\\add-INS", other), reg::kErrorSuccess);
  registry.SetString(Key, "Name", "a");
  std::uint32_t type = 0, size = 0;
  EXPECT_EQ(registry.RegQueryValueExA(other, "nAME", 0, type, nullptr, size), reg::kErrorSuccess);
  EXPECT_EQ(size, 2u);
}

TEST_F(RegistryQuery, AHandleToADeletedKeyNoLongerReads) {
  ASSERT_TRUE(registry.DeleteKey("HKCU\\SOFTWARE\\Zarvik"));
  std::uint32_t type = 0, size = 0;
  EXPECT_EQ(registry.RegQueryValueExA(key, "1", 0, type, nullptr, size), standin::reg::kErrorKeyDeleted);
  // Re-creating the key does not bring the old handle back to life.
  registry.SetString(Key, "1", "x");
  EXPECT_EQ(registry.RegQueryValueExA(key, "1", 0, type, nullptr, size), standin::reg::kErrorKeyDeleted);
}

TEST(RegistryOpen, MissingOrMalformedKeysLeaveTheHandleZero) {
  standin::Registry registry;
  registry.CreateKey("HKCU\\A\\B");
  HKEY32 key = 123;
  EXPECT_EQ(registry.RegOpenKeyA(kHkeyCurrentUser, "A\\C", key), reg::kErrorFileNotFound);
  EXPECT_EQ(key, 0u);
  key = 123;
  EXPECT_EQ(registry.RegOpenKeyA(kHkeyCurrentUser, "\\A", key), standin::reg::kErrorBadPathname);
  EXPECT_EQ(key, 0u);
  key = 123;
  EXPECT_EQ(registry.RegOpenKeyA(0x1234, "A", key), reg::kErrorInvalidHandle);
  EXPECT_EQ(key, 0u);
}

TEST(RegistryOpen, HandlesAreCountedUntilClosedAndCloseOnlyOnce) {
  standin::Registry registry;
  registry.CreateKey("HKCU\\A\\B");
  HKEY32 a = 0, b = 0;
  ASSERT_EQ(registry.RegOpenKeyA(kHkeyCurrentUser, "A", a), reg::kErrorSuccess);
  ASSERT_EQ(registry.RegOpenKeyA(a, "B\\", b), reg::kErrorSuccess);  // relative, with a trailing backslash
  EXPECT_NE(a, b);
  EXPECT_EQ(registry.OpenHandles(), 2u);
  EXPECT_EQ(registry.RegCloseKey(a), reg::kErrorSuccess);
  EXPECT_EQ(registry.RegCloseKey(a), reg::kErrorInvalidHandle);
  EXPECT_EQ(registry.RegCloseKey(b), reg::kErrorSuccess);
  EXPECT_EQ(registry.OpenHandles(), 0u);
  // An empty subkey hands back the hive itself, which needs no closing.
  HKEY32 same = 0;
  EXPECT_EQ(registry.RegOpenKeyA(kHkeyCurrentUser, "", same), reg::kErrorSuccess);
  EXPECT_EQ(same, kHkeyCurrentUser);
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

TEST(RegistryWrites, RewritingKeepsPlaceAndFirstSpellingAndDeletesAreReported) {
  standin::Registry registry;
  registry.SetString(Key, "First", "1");
  registry.SetString(Key, "Second", "2");
  registry.SetDword(Key, "FIRST", 7);
  const auto values = registry.Values(Key);
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[0].name, "First");
  EXPECT_EQ(values[0].type, reg::kRegDword);
  EXPECT_EQ(values[1].name, "Second");

  EXPECT_TRUE(registry.DeleteValue(Key, "second"));
  EXPECT_FALSE(registry.DeleteValue(Key, "second"));
  EXPECT_FALSE(registry.DeleteValue("HKCU\\Nowhere", "x"));
  EXPECT_FALSE(registry.DeleteKey("HKCU\\Nowhere"));
  EXPECT_THROW(registry.DeleteKey("HKEY_CURRENT_USER"), std::invalid_argument);
}

TEST(RegistryWrites, SubkeysEnumerateSortedWithoutRegardToCaseAndMissingKeysThrow) {
  standin::Registry registry;
  registry.CreateKey("HKCU\\Root\\beta");
  registry.CreateKey("HKCU\\Root\\Alpha");
  registry.CreateKey("HKCU\\Root\\gamma");
  registry.CreateKey("HKCU\\Root\\ALPHA");  // the same key again
  EXPECT_EQ(registry.SubKeys("HKCU\\Root"), (std::vector<std::string>{"Alpha", "beta", "gamma"}));
  EXPECT_THROW(registry.Values("HKCU\\Missing"), std::out_of_range);
  EXPECT_THROW(registry.SubKeys("HKCU\\Missing"), std::out_of_range);
  EXPECT_THROW(registry.CreateKey("HKEY_NOWHERE\\A"), std::invalid_argument);
  EXPECT_THROW(registry.CreateKey("HKCU\\A\\\\B"), std::invalid_argument);
}

TEST(Windows1252, EveryByteSurvivesTheRoundTripThroughUtf16) {
  standin::Windows1252 cp;
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const host::Text text = cp.ToUtf16(all);
  EXPECT_EQ(text[0x80], u'\u20AC');  // the euro sign
  EXPECT_EQ(text[0x9F], u'\u0178');
  EXPECT_EQ(text[0xE9], u'\u00E9');
  EXPECT_EQ(cp.FromUtf16(text), all);
  EXPECT_EQ(cp.FromUtf16(u"a\u4E2D\U0001F600b"), "a??b");
}

}  // namespace
