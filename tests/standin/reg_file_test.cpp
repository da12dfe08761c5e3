// .reg files in and out of the stand-in registry.
#include "standin/reg_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace {

namespace reg = host::reg;
using standin::RegFileError;
using standin::RegFormat;
using standin::Registry;

constexpr const char* AddIns = "HKEY_CURRENT_USER\\SOFTWARE\\Zarvik\\Add-ins";

std::string Utf16Le(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

// Every key below path with its values, for comparing two registries.
std::string Dump(const Registry& registry, const std::string& path) {
  std::string out = "[" + path + "]\n";
  for (const auto& value : registry.Values(path)) {
    out += value.name + ":" + std::to_string(value.type) + ":";
    for (auto b : value.data) out += std::to_string(b) + ",";
    out += "\n";
  }
  for (const auto& sub : registry.SubKeys(path)) out += Dump(registry, path + "\\" + sub);
  return out;
}

TEST(RegImport, TheMapnoteEntryArrivesAsAnAnsiStringWithItsNul) {
  Registry registry;
  standin::ImportReg(registry,
                     "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Zarvik\\Add-ins]\r\n\"1\"=\"Mapnote,Tessaly...\"\r\n");
  const auto value = registry.GetValue(AddIns, "1");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->type, reg::kRegSz);
  EXPECT_EQ(std::string(value->data.begin(), value->data.end()), std::string("Mapnote,Tessaly...\0", 19));
}

TEST(RegImport, Version5InUtf16AndUtf8GiveTheSameEntries) {
  const std::u16string text =
      u"Windows Registry Editor Version 5.00\r\n\r\n"
      u"[HKCU\\SOFTWARE\\Zarvik\\Add-ins]\r\n"
      u"\"1\"=\"Mapnote,Caf\u00E9 \u20AC\"\r\n"
      u"\"2\"=hex(2):25,00,54,00,\\\r\n"
      u"  45,00,00,00\r\n";
  Registry fromUtf16, fromUtf8;
  standin::ImportReg(fromUtf16, Utf16Le(text));
  standin::ImportReg(fromUtf8, "\xEF\xBB\xBF" + host::ToUtf8(text));
  const auto one = fromUtf16.GetValue(AddIns, "1");
  ASSERT_TRUE(one);
  // Held in the ANSI code page: é is 0xE9, the euro sign 0x80.
  EXPECT_EQ(std::string(one->data.begin(), one->data.end()), std::string("Mapnote,Caf\xE9 \x80\0", 15));
  // UTF-16 string data of a version 5 file is held as ANSI bytes as well.
  EXPECT_EQ(fromUtf16.GetValue(AddIns, "2")->data, (std::vector<std::uint8_t>{'%', 'T', 'E', 0}));
  EXPECT_EQ(Dump(fromUtf16, AddIns), Dump(fromUtf8, AddIns));
}

TEST(RegImport, EscapesDefaultValuesNumbersAndHexOfAnyType) {
  Registry registry;
  standin::ImportReg(registry,
                     "REGEDIT4\n"
                     "; a comment\n"
                     "[HKEY_LOCAL_MACHINE\\Software\\Test]\n"
                     "@=\"default\"\n"
                     "\"quote\\\"back\\\\\"=\"C:\\\\Program Files\\\\\"\n"
                     "\"n\"=dword:0000002a\n"
                     "\"bin\"=hex:de,ad,\\\n"
                     "    be,ef\n"
                     "\"empty\"=hex:\n"
                     "\"multi\"=hex(7):61,00,62,00,00\n"
                     "\"odd\"=hex(2a):01\n");
  const std::string key = "HKLM\\Software\\Test";
  EXPECT_EQ(registry.GetValue(key, "")->data, (std::vector<std::uint8_t>{'d', 'e', 'f', 'a', 'u', 'l', 't', 0}));
  const auto path = registry.GetValue(key, "quote\"back\\");
  ASSERT_TRUE(path);
  EXPECT_EQ(std::string(path->data.begin(), path->data.end()), std::string("C:\\Program Files\\\0", 18));
  EXPECT_EQ(registry.GetValue(key, "n")->data, (std::vector<std::uint8_t>{42, 0, 0, 0}));
  EXPECT_EQ(registry.GetValue(key, "bin")->data, (std::vector<std::uint8_t>{0xde, 0xad, 0xbe, 0xef}));
  EXPECT_TRUE(registry.GetValue(key, "empty")->data.empty());
  EXPECT_EQ(registry.GetValue(key, "multi")->type, reg::kRegMultiSz);
  EXPECT_EQ(registry.GetValue(key, "odd")->type, 0x2au);
}

TEST(RegImport, MinusRemovesValuesAndKeysWithEverythingBelow) {
  Registry registry;
  registry.SetString(AddIns, "1", "a");
  registry.SetString(AddIns, "2", "b");
  registry.SetString("HKCU\\Other\\Deep\\Er", "x", "y");
  standin::ImportReg(registry,
                     "REGEDIT4\n\n"
                     "[HKEY_CURRENT_USER\\SOFTWARE\\Zarvik\\Add-ins]\n"
                     "\"1\"=-\n"
                     "\"never there\"=-\n"
                     "[-HKEY_CURRENT_USER\\Other]\n"
                     "[-HKEY_CURRENT_USER\\Not\\There]\n");
  EXPECT_FALSE(registry.GetValue(AddIns, "1"));
  EXPECT_TRUE(registry.GetValue(AddIns, "2"));
  EXPECT_FALSE(registry.KeyExists("HKCU\\Other"));
}

TEST(RegImport, MalformedFilesNameTheLineAndChangeNothing) {
  struct Case {
    const char* file;
    int line;
  };
  const Case cases[] = {
      {"REGEDIT 4\n[HKCU\\A]\n", 1},
      {"REGEDIT4\n\"1\"=\"before any key\"\n", 2},
      {"REGEDIT4\n[HKCU\\A]\n\"1\"=\"no closing quote\n", 3},
      {"REGEDIT4\n[HKCU\\A]\n\"1\"=\"bad \\n escape\"\n", 3},
      {"REGEDIT4\n[HKCU\\A]\n\"1\"=\"text\" trailing\n", 3},
      {"REGEDIT4\n[HKCU\\A]\n\"1\" \"no equals\"\n", 3},
      {"REGEDIT4\n[HKCU\\A]\n\"1\"=dword:123456789\n", 3},
      {"REGEDIT4\n[HKCU\\A]\n\"1\"=dword:xyz\n", 3},
      {"REGEDIT4\n[HKCU\\A]\n\"1\"=hex:01,2g\n", 3},
      {"REGEDIT4\n[HKCU\\A]\n\"1\"=hex:01,,02\n", 3},
      {"REGEDIT4\n[HKCU\\A]\n\"1\"=hex:01,\\\n  02,\\\n  ,03\n", 5},
      {"REGEDIT4\n[HKCU\\A]\n\"1\"=hex:01,\\\n", 4},
      {"REGEDIT4\n[HKCU\\A]\n\"1\"=hex(zz):01\n", 3},
      {"REGEDIT4\n[HKCU\\A]\n\"1\"=something\n", 3},
      {"REGEDIT4\n[HKCU\\A]\njunk\n", 3},
      {"REGEDIT4\n[HKEY_NOWHERE\\A]\n", 2},
      {"REGEDIT4\n[HKCU\\A\n", 2},
      {"REGEDIT4\n[HKCU\\A\\\\B]\n", 2},
      {"REGEDIT4\n[-HKCU]\n", 2},
      {"REGEDIT4\n[-HKCU\\A]\n\"1\"=\"under a deleted key\"\n", 3},
      {"Windows Registry Editor Version 5.00\n[HKCU\\A]\n\"1\"=hex(1):41\n", 3},
  };
  for (const auto& c : cases) {
    Registry registry;
    registry.SetString("HKCU\\A", "keep", "me");
    // Every case starts with good lines, so a partial import would show.
    std::string file = c.file;
    try {
      standin::ImportReg(registry, file);
      ADD_FAILURE() << "accepted: " << file;
    } catch (const RegFileError& e) {
      EXPECT_EQ(e.line(), c.line) << file << "\n" << e.what();
      EXPECT_NE(std::string(e.what()).find("line " + std::to_string(c.line) + ":"), std::string::npos);
    }
    EXPECT_EQ(registry.Values("HKCU\\A").size(), 1u) << file;
    EXPECT_TRUE(registry.KeyExists("HKCU\\A")) << file;
  }
}

TEST(RegImport, AnUnrepresentableCharacterOrHalfAUtf16CharacterIsRejected) {
  Registry registry;
  EXPECT_THROW(standin::ImportReg(registry, Utf16Le(u"Windows Registry Editor Version 5.00\r\n[HKCU\\A]\r\n"
                                                   u"\"1\"=\"\u4E2D\"\r\n")),
               RegFileError);
  EXPECT_THROW(standin::ImportReg(registry, Utf16Le(u"REGEDIT4\r\n") + "x"), RegFileError);
  EXPECT_FALSE(registry.KeyExists("HKCU\\A"));
}

class RegRoundTrip : public ::testing::TestWithParam<RegFormat> {
 protected:
  void SetUp() override {
    registry.SetString(AddIns, "1", "Mapnote,Tessaly...");
    registry.SetString(AddIns, "", "default \"quoted\" \\ back");
    registry.SetString(AddIns, "bare", "no nul", reg::kRegSz, standin::Nul::Unterminated);
    registry.SetValue(AddIns, "inner nul", reg::kRegSz, {'a', 0, 'b', 0});
    registry.SetString(AddIns, "lines", "one\r\ntwo");
    registry.SetString(AddIns, "ansi", "Caf\xE9 \x80 \x81");
    registry.SetString(AddIns, "expand", "%TEMP%\\x", reg::kRegExpandSz);
    registry.SetValue(AddIns, "multi", reg::kRegMultiSz, {'a', 0, 'b', 0, 0});
    registry.SetDword(AddIns, "dword", 0xDEADBEEF);
    registry.SetValue(AddIns, "short dword", reg::kRegDword, {1, 2});
    std::vector<std::uint8_t> big;
    for (int i = 0; i < 200; ++i) big.push_back(static_cast<std::uint8_t>(i));
    registry.SetValue(AddIns, "binary", reg::kRegBinary, big);
    registry.SetValue(AddIns, "none", reg::kRegNone, {});
    registry.SetValue(AddIns, "odd type", 0x1234, {9});
    registry.CreateKey("HKCU\\SOFTWARE\\Zarvik\\Add-ins\\Empty Subkey");
    registry.SetDword("HKCU\\SOFTWARE\\Zarvik\\Add-ins\\Sub\\Deeper", "LoadBehavior", 3);
  }
  Registry registry;
};

TEST_P(RegRoundTrip, ExportThenImportGivesBackEveryKeyAndByte) {
  const std::string file = standin::ExportReg(registry, "HKCU\\software\\zarvik", GetParam());
  Registry copy;
  standin::ImportReg(copy, file);
  EXPECT_EQ(Dump(copy, "HKEY_CURRENT_USER\\SOFTWARE\\Zarvik"), Dump(registry, "HKEY_CURRENT_USER\\SOFTWARE\\Zarvik"));
  // And the copy writes the same file again.
  EXPECT_EQ(standin::ExportReg(copy, "HKCU\\SOFTWARE\\Zarvik", GetParam()), file);
}

TEST_P(RegRoundTrip, TheFileIsLaidOutAsRegeditWritesIt) {
  const std::string file = standin::ExportReg(registry, "HKCU\\software\\zarvik\\add-ins\\sub", GetParam());
  const std::string text = GetParam() == RegFormat::Regedit4
                               ? file
                               : host::ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(file.data() + 2),
                                                             (file.size() - 2) / 2));
  const std::string header = GetParam() == RegFormat::Regedit4 ? "REGEDIT4" : "Windows Registry Editor Version 5.00";
  EXPECT_EQ(text, header +
                      "\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Zarvik\\Add-ins\\Sub]\r\n\r\n"
                      "[HKEY_CURRENT_USER\\SOFTWARE\\Zarvik\\Add-ins\\Sub\\Deeper]\r\n"
                      "\"LoadBehavior\"=dword:00000003\r\n\r\n");
  if (GetParam() == RegFormat::Version5) {
    EXPECT_EQ(file.substr(0, 2), "\xFF\xFE");
  }
}

TEST_P(RegRoundTrip, FilesOnDiskReadBackTheSame) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("zarvik_round_trip_" + std::to_string(std::random_device()()) + ".reg");
  standin::ExportRegFile(registry, AddIns, GetParam(), path);
  Registry copy;
  standin::ImportRegFile(copy, path);
  std::filesystem::remove(path);
  EXPECT_EQ(Dump(copy, AddIns), Dump(registry, AddIns));
}

INSTANTIATE_TEST_SUITE_P(BothFormats, RegRoundTrip, ::testing::Values(RegFormat::Regedit4, RegFormat::Version5),
                         [](const auto& info) { return info.param == RegFormat::Regedit4 ? "Regedit4" : "Version5"; });

}  // namespace
