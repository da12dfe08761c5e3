// The registry reader on the real registry: every shape a value can take.
#include "zarvik/win/registry/win_registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "zarvik/mod_registry.h"

namespace zarvik::win {
namespace {

using namespace std::string_literals;

// The system headers' macros hide the port's own names for these.
constexpr host::HKEY32 kCurrentUser = 0x80000001;

// A key of its own under HKEY_CURRENT_USER, removed afterwards.
class RealRegistry : public ::testing::Test {
 protected:
  RealRegistry() : subKey("Software\\ZarvikRegistryTest\\" + std::to_string(::GetCurrentProcessId())) {
    ::RegCreateKeyA(HKEY_CURRENT_USER, subKey.c_str(), &key);
  }
  ~RealRegistry() override {
    ::RegCloseKey(key);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\ZarvikRegistryTest");
  }

  void Set(const char* name, DWORD type, const std::string& bytes) {
    ASSERT_EQ(::RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                               static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
  }

  host::Variant Read(const std::string& valueName, const std::string& under = {}) {
    const std::string path = under.empty() ? subKey : under;
    return ReadRegistryString(advapi32, codePage, kCurrentUser, host::FromUtf8(path),
                              host::FromUtf8(valueName));
  }

  std::string subKey;
  HKEY key = nullptr;
  WinAdvapi32 advapi32;
  WinAnsiCodePage codePage;
};

TEST_F(RealRegistry, StringValuesGiveTheirTextUpToTheFirstNul) {
  Set("1", REG_SZ, "Mapnote,Tessaly...\0"s);
  Set("2", REG_SZ, "no terminator");
  Set("3", REG_SZ, "before\0after\0"s);
  Set("4", REG_SZ, "\0"s);
  Set("5", REG_SZ, "");

  EXPECT_EQ(Read("1"), host::Variant(u"Mapnote,Tessaly..."));
  EXPECT_EQ(Read("1"), Read("1")) << "the same text every time";
  EXPECT_EQ(Read("2"), host::Variant(u"no terminator"));
  EXPECT_EQ(Read("3"), host::Variant(u"before"));
  EXPECT_EQ(Read("4"), host::Variant(u"")) << "a string, though empty";
  EXPECT_TRUE(Read("4").IsText());
  EXPECT_TRUE(Read("5").IsText());
  EXPECT_EQ(Read("5").ToText(), u"");
}

TEST_F(RealRegistry, AnythingButAStringValueIsEmpty) {
  Set("expand", REG_EXPAND_SZ, "%TEMP%\\x\0"s);
  Set("number", REG_DWORD, "\x09\0\0\0"s);
  Set("multi", REG_MULTI_SZ, "a\0b\0\0"s);
  Set("bytes", REG_BINARY, "Mapnote,Tessaly...");

  for (const char* name : {"expand", "number", "multi", "bytes", "missing"}) {
    EXPECT_TRUE(Read(name).IsEmpty()) << name;
  }
  EXPECT_TRUE(Read("1", subKey + "\\NoSuchKey").IsEmpty());
  EXPECT_EQ(Read("missing").ToText(), u"");
}

TEST_F(RealRegistry, TextIsReadInTheAnsiCodePage) {
  if (::GetACP() != 1252) GTEST_SKIP() << "the ANSI code page is " << ::GetACP();
  Set("1", REG_SZ, "Caf\xE9,\x80uro\0"s);
  EXPECT_EQ(Read("1"), host::Variant(u"Caf\u00e9,\u20acuro"));
  EXPECT_EQ(codePage.FromUtf16(u"Caf\u00e9"), "Caf\xE9");
}

TEST_F(RealRegistry, AFailedQueryLeavesTheTypeAndSizeAsTheyWere) {
  Set("1", REG_SZ, "abc\0"s);
  host::HKEY32 opened = 0;
  ASSERT_EQ(advapi32.RegOpenKeyA(kCurrentUser, subKey, opened), static_cast<std::int32_t>(ERROR_SUCCESS));
  ASSERT_NE(opened, 0u);

  std::uint32_t type = 0, size = 0;
  EXPECT_EQ(advapi32.RegQueryValueExA(opened, "1", 0, type, nullptr, size), static_cast<std::int32_t>(ERROR_SUCCESS));
  EXPECT_EQ(type, static_cast<std::uint32_t>(REG_SZ));
  EXPECT_EQ(size, 4u) << "the terminating NUL counts";

  type = 77, size = 5;
  EXPECT_EQ(advapi32.RegQueryValueExA(opened, "missing", 0, type, nullptr, size), static_cast<std::int32_t>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(type, 77u);
  EXPECT_EQ(size, 5u);
  EXPECT_NE(advapi32.RegQueryValueExA(0, "1", 0, type, nullptr, size), static_cast<std::int32_t>(ERROR_SUCCESS));
  EXPECT_EQ(type, 77u);
  EXPECT_EQ(advapi32.RegCloseKey(opened), static_cast<std::int32_t>(ERROR_SUCCESS));

  host::HKEY32 none = 99;
  EXPECT_NE(advapi32.RegOpenKeyA(kCurrentUser, subKey + "\\NoSuchKey", none), static_cast<std::int32_t>(ERROR_SUCCESS));
  EXPECT_EQ(none, 0u);
}

}  // namespace
}  // namespace zarvik::win
