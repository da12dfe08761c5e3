// The encodings browsers read, each with its names, its converters and the
// labels pages name it by.
#include <algorithm>
#include <array>

#include "pages/encoding.h"

namespace pages {
namespace {

using E = Encoding;

// The converters chosen are those that agree best with how browsers decode:
// CP932 keeps 0x5C and 0x7E as ASCII where SHIFT_JIS reads a yen sign and an
// overline, CP932 and EUC-JP-MS read the symbols of row 1 (a fullwidth
// tilde, not a wave dash ...) and the circled numbers as browsers do, CP949 holds the extensions browsers read in euc-kr pages, big5
// is read as BIG5 and, for the Hong Kong characters it lacks, BIG5-HKSCS
// (which alone would read fullwidth slashes and the euro sign otherwise than
// browsers), GB18030 is how browsers read gbk too, and iso-2022-jp is read
// by its escape sequences, its pairs through the Shift_JIS converter.
constexpr std::array<EncodingNames, 39> kNames = {{
    {E::Utf8, "utf-8", nullptr, 65001},
    {E::Windows1252, "windows-1252", nullptr, 1252},
    {E::Ascii, "us-ascii", nullptr, 20127},
    {E::Utf16Le, "utf-16le", nullptr, 1200},
    {E::Utf16Be, "utf-16be", nullptr, 1201},
    {E::Ibm866, "ibm866", "IBM866", 866, false, true},
    {E::Iso8859_2, "iso-8859-2", "ISO-8859-2", 28592, false, true},
    {E::Iso8859_3, "iso-8859-3", "ISO-8859-3", 28593, false, true},
    {E::Iso8859_4, "iso-8859-4", "ISO-8859-4", 28594, false, true},
    {E::Iso8859_5, "iso-8859-5", "ISO-8859-5", 28595, false, true},
    {E::Iso8859_6, "iso-8859-6", "ISO-8859-6", 28596, false, true},
    {E::Iso8859_7, "iso-8859-7", "ISO-8859-7", 28597, false, true},
    {E::Iso8859_8, "iso-8859-8", "ISO-8859-8", 28598, false, true},
    {E::Iso8859_8I, "iso-8859-8-i", "ISO-8859-8", 28598, false, true},
    {E::Iso8859_10, "iso-8859-10", "ISO-8859-10", 0, false, true},
    {E::Iso8859_13, "iso-8859-13", "ISO-8859-13", 28603, false, true},
    {E::Iso8859_14, "iso-8859-14", "ISO-8859-14", 0, false, true},
    {E::Iso8859_15, "iso-8859-15", "ISO-8859-15", 28605, false, true},
    {E::Iso8859_16, "iso-8859-16", "ISO-8859-16", 0, false, true},
    {E::Koi8R, "koi8-r", "KOI8-R", 20866, false, true},
    {E::Koi8U, "koi8-u", "KOI8-U", 21866, false, true},
    {E::Macintosh, "macintosh", "MACINTOSH", 10000, false, true},
    {E::Windows874, "windows-874", "CP874", 874, true, true},
    {E::Windows1250, "windows-1250", "CP1250", 1250, true, true},
    {E::Windows1251, "windows-1251", "CP1251", 1251, true, true},
    {E::Windows1253, "windows-1253", "CP1253", 1253, true, true},
    {E::Windows1254, "windows-1254", "CP1254", 1254, true, true},
    {E::Windows1255, "windows-1255", "CP1255", 1255, true, true},
    {E::Windows1256, "windows-1256", "CP1256", 1256, true, true},
    {E::Windows1257, "windows-1257", "CP1257", 1257, true, true},
    {E::Windows1258, "windows-1258", "CP1258", 1258, true, true},
    {E::XMacCyrillic, "x-mac-cyrillic", "MAC-CYRILLIC", 10017, false, true},
    {E::Gbk, "gbk", "GB18030", 936, false, false, nullptr, true},
    {E::Gb18030, "gb18030", "GB18030", 54936, false, false, nullptr, true},
    {E::Big5, "big5", "BIG5", 950, false, false, "BIG5-HKSCS"},
    {E::EucJp, "euc-jp", "EUC-JP-MS", 20932},
    {E::Iso2022Jp, "iso-2022-jp", "ISO-2022-JP", 50220},
    {E::ShiftJis, "shift_jis", "CP932", 932},
    {E::EucKr, "euc-kr", "CP949", 949},
}};

using K = LabelMeaning::Kind;

struct Label {
  std::string_view label;  // lower case, sorted
  LabelMeaning meaning;
};

constexpr LabelMeaning Reads(Encoding e) { return {K::Readable, e}; }
constexpr LabelMeaning kReplacement{K::Replacement};
constexpr LabelMeaning kUserDefined{K::UserDefined};

// Every label browsers know, in the order of their sort.
constexpr std::array<Label, 227> kLabels = {{
    {"866", Reads(E::Ibm866)},
    {"ansi_x3.4-1968", Reads(E::Windows1252)},
    {"arabic", Reads(E::Iso8859_6)},
    {"ascii", Reads(E::Windows1252)},
    {"asmo-708", Reads(E::Iso8859_6)},
    {"big5", Reads(E::Big5)},
    {"big5-hkscs", Reads(E::Big5)},
    {"chinese", Reads(E::Gbk)},
    {"cn-big5", Reads(E::Big5)},
    {"cp1250", Reads(E::Windows1250)},
    {"cp1251", Reads(E::Windows1251)},
    {"cp1252", Reads(E::Windows1252)},
    {"cp1253", Reads(E::Windows1253)},
    {"cp1254", Reads(E::Windows1254)},
    {"cp1255", Reads(E::Windows1255)},
    {"cp1256", Reads(E::Windows1256)},
    {"cp1257", Reads(E::Windows1257)},
    {"cp1258", Reads(E::Windows1258)},
    {"cp819", Reads(E::Windows1252)},
    {"cp866", Reads(E::Ibm866)},
    {"csbig5", Reads(E::Big5)},
    {"cseuckr", Reads(E::EucKr)},
    {"cseucpkdfmtjapanese", Reads(E::EucJp)},
    {"csgb2312", Reads(E::Gbk)},
    {"csibm866", Reads(E::Ibm866)},
    {"csiso2022jp", Reads(E::Iso2022Jp)},
    {"csiso2022kr", kReplacement},
    {"csiso58gb231280", Reads(E::Gbk)},
    {"csiso88596e", Reads(E::Iso8859_6)},
    {"csiso88596i", Reads(E::Iso8859_6)},
    {"csiso88598e", Reads(E::Iso8859_8)},
    {"csiso88598i", Reads(E::Iso8859_8I)},
    {"csisolatin1", Reads(E::Windows1252)},
    {"csisolatin2", Reads(E::Iso8859_2)},
    {"csisolatin3", Reads(E::Iso8859_3)},
    {"csisolatin4", Reads(E::Iso8859_4)},
    {"csisolatin5", Reads(E::Windows1254)},
    {"csisolatin6", Reads(E::Iso8859_10)},
    {"csisolatin9", Reads(E::Iso8859_15)},
    {"csisolatinarabic", Reads(E::Iso8859_6)},
    {"csisolatincyrillic", Reads(E::Iso8859_5)},
    {"csisolatingreek", Reads(E::Iso8859_7)},
    {"csisolatinhebrew", Reads(E::Iso8859_8)},
    {"cskoi8r", Reads(E::Koi8R)},
    {"csksc56011987", Reads(E::EucKr)},
    {"csmacintosh", Reads(E::Macintosh)},
    {"csshiftjis", Reads(E::ShiftJis)},
    {"csunicode", Reads(E::Utf16Le)},
    {"cyrillic", Reads(E::Iso8859_5)},
    {"dos-874", Reads(E::Windows874)},
    {"ecma-114", Reads(E::Iso8859_6)},
    {"ecma-118", Reads(E::Iso8859_7)},
    {"elot_928", Reads(E::Iso8859_7)},
    {"euc-jp", Reads(E::EucJp)},
    {"euc-kr", Reads(E::EucKr)},
    {"gb18030", Reads(E::Gb18030)},
    {"gb2312", Reads(E::Gbk)},
    {"gb_2312", Reads(E::Gbk)},
    {"gb_2312-80", Reads(E::Gbk)},
    {"gbk", Reads(E::Gbk)},
    {"greek", Reads(E::Iso8859_7)},
    {"greek8", Reads(E::Iso8859_7)},
    {"hebrew", Reads(E::Iso8859_8)},
    {"hz-gb-2312", kReplacement},
    {"ibm819", Reads(E::Windows1252)},
    {"ibm866", Reads(E::Ibm866)},
    {"iso-10646-ucs-2", Reads(E::Utf16Le)},
    {"iso-2022-cn", kReplacement},
    {"iso-2022-cn-ext", kReplacement},
    {"iso-2022-jp", Reads(E::Iso2022Jp)},
    {"iso-2022-kr", kReplacement},
    {"iso-8859-1", Reads(E::Windows1252)},
    {"iso-8859-10", Reads(E::Iso8859_10)},
    {"iso-8859-11", Reads(E::Windows874)},
    {"iso-8859-13", Reads(E::Iso8859_13)},
    {"iso-8859-14", Reads(E::Iso8859_14)},
    {"iso-8859-15", Reads(E::Iso8859_15)},
    {"iso-8859-16", Reads(E::Iso8859_16)},
    {"iso-8859-2", Reads(E::Iso8859_2)},
    {"iso-8859-3", Reads(E::Iso8859_3)},
    {"iso-8859-4", Reads(E::Iso8859_4)},
    {"iso-8859-5", Reads(E::Iso8859_5)},
    {"iso-8859-6", Reads(E::Iso8859_6)},
    {"iso-8859-6-e", Reads(E::Iso8859_6)},
    {"iso-8859-6-i", Reads(E::Iso8859_6)},
    {"iso-8859-7", Reads(E::Iso8859_7)},
    {"iso-8859-8", Reads(E::Iso8859_8)},
    {"iso-8859-8-e", Reads(E::Iso8859_8)},
    {"iso-8859-8-i", Reads(E::Iso8859_8I)},
    {"iso-8859-9", Reads(E::Windows1254)},
    {"iso-ir-100", Reads(E::Windows1252)},
    {"iso-ir-101", Reads(E::Iso8859_2)},
    {"iso-ir-109", Reads(E::Iso8859_3)},
    {"iso-ir-110", Reads(E::Iso8859_4)},
    {"iso-ir-126", Reads(E::Iso8859_7)},
    {"iso-ir-127", Reads(E::Iso8859_6)},
    {"iso-ir-138", Reads(E::Iso8859_8)},
    {"iso-ir-144", Reads(E::Iso8859_5)},
    {"iso-ir-148", Reads(E::Windows1254)},
    {"iso-ir-149", Reads(E::EucKr)},
    {"iso-ir-157", Reads(E::Iso8859_10)},
    {"iso-ir-58", Reads(E::Gbk)},
    {"iso8859-1", Reads(E::Windows1252)},
    {"iso8859-10", Reads(E::Iso8859_10)},
    {"iso8859-11", Reads(E::Windows874)},
    {"iso8859-13", Reads(E::Iso8859_13)},
    {"iso8859-14", Reads(E::Iso8859_14)},
    {"iso8859-15", Reads(E::Iso8859_15)},
    {"iso8859-2", Reads(E::Iso8859_2)},
    {"iso8859-3", Reads(E::Iso8859_3)},
    {"iso8859-4", Reads(E::Iso8859_4)},
    {"iso8859-5", Reads(E::Iso8859_5)},
    {"iso8859-6", Reads(E::Iso8859_6)},
    {"iso8859-7", Reads(E::Iso8859_7)},
    {"iso8859-8", Reads(E::Iso8859_8)},
    {"iso8859-9", Reads(E::Windows1254)},
    {"iso88591", Reads(E::Windows1252)},
    {"iso885910", Reads(E::Iso8859_10)},
    {"iso885911", Reads(E::Windows874)},
    {"iso885913", Reads(E::Iso8859_13)},
    {"iso885914", Reads(E::Iso8859_14)},
    {"iso885915", Reads(E::Iso8859_15)},
    {"iso88592", Reads(E::Iso8859_2)},
    {"iso88593", Reads(E::Iso8859_3)},
    {"iso88594", Reads(E::Iso8859_4)},
    {"iso88595", Reads(E::Iso8859_5)},
    {"iso88596", Reads(E::Iso8859_6)},
    {"iso88597", Reads(E::Iso8859_7)},
    {"iso88598", Reads(E::Iso8859_8)},
    {"iso88599", Reads(E::Windows1254)},
    {"iso_8859-1", Reads(E::Windows1252)},
    {"iso_8859-15", Reads(E::Iso8859_15)},
    {"iso_8859-1:1987", Reads(E::Windows1252)},
    {"iso_8859-2", Reads(E::Iso8859_2)},
    {"iso_8859-2:1987", Reads(E::Iso8859_2)},
    {"iso_8859-3", Reads(E::Iso8859_3)},
    {"iso_8859-3:1988", Reads(E::Iso8859_3)},
    {"iso_8859-4", Reads(E::Iso8859_4)},
    {"iso_8859-4:1988", Reads(E::Iso8859_4)},
    {"iso_8859-5", Reads(E::Iso8859_5)},
    {"iso_8859-5:1988", Reads(E::Iso8859_5)},
    {"iso_8859-6", Reads(E::Iso8859_6)},
    {"iso_8859-6:1987", Reads(E::Iso8859_6)},
    {"iso_8859-7", Reads(E::Iso8859_7)},
    {"iso_8859-7:1987", Reads(E::Iso8859_7)},
    {"iso_8859-8", Reads(E::Iso8859_8)},
    {"iso_8859-8:1988", Reads(E::Iso8859_8)},
    {"iso_8859-9", Reads(E::Windows1254)},
    {"iso_8859-9:1989", Reads(E::Windows1254)},
    {"koi", Reads(E::Koi8R)},
    {"koi8", Reads(E::Koi8R)},
    {"koi8-r", Reads(E::Koi8R)},
    {"koi8-ru", Reads(E::Koi8U)},
    {"koi8-u", Reads(E::Koi8U)},
    {"koi8_r", Reads(E::Koi8R)},
    {"korean", Reads(E::EucKr)},
    {"ks_c_5601-1987", Reads(E::EucKr)},
    {"ks_c_5601-1989", Reads(E::EucKr)},
    {"ksc5601", Reads(E::EucKr)},
    {"ksc_5601", Reads(E::EucKr)},
    {"l1", Reads(E::Windows1252)},
    {"l2", Reads(E::Iso8859_2)},
    {"l3", Reads(E::Iso8859_3)},
    {"l4", Reads(E::Iso8859_4)},
    {"l5", Reads(E::Windows1254)},
    {"l6", Reads(E::Iso8859_10)},
    {"l9", Reads(E::Iso8859_15)},
    {"latin1", Reads(E::Windows1252)},
    {"latin2", Reads(E::Iso8859_2)},
    {"latin3", Reads(E::Iso8859_3)},
    {"latin4", Reads(E::Iso8859_4)},
    {"latin5", Reads(E::Windows1254)},
    {"latin6", Reads(E::Iso8859_10)},
    {"logical", Reads(E::Iso8859_8I)},
    {"mac", Reads(E::Macintosh)},
    {"macintosh", Reads(E::Macintosh)},
    {"ms932", Reads(E::ShiftJis)},
    {"ms_kanji", Reads(E::ShiftJis)},
    {"shift-jis", Reads(E::ShiftJis)},
    {"shift_jis", Reads(E::ShiftJis)},
    {"sjis", Reads(E::ShiftJis)},
    {"sun_eu_greek", Reads(E::Iso8859_7)},
    {"tis-620", Reads(E::Windows874)},
    {"ucs-2", Reads(E::Utf16Le)},
    {"unicode", Reads(E::Utf16Le)},
    {"unicode-1-1-utf-8", Reads(E::Utf8)},
    {"unicode11utf8", Reads(E::Utf8)},
    {"unicode20utf8", Reads(E::Utf8)},
    {"unicodefeff", Reads(E::Utf16Le)},
    {"unicodefffe", Reads(E::Utf16Be)},
    {"us-ascii", Reads(E::Windows1252)},
    {"utf-16", Reads(E::Utf16Le)},
    {"utf-16be", Reads(E::Utf16Be)},
    {"utf-16le", Reads(E::Utf16Le)},
    {"utf-8", Reads(E::Utf8)},
    {"utf8", Reads(E::Utf8)},
    {"visual", Reads(E::Iso8859_8)},
    {"windows-1250", Reads(E::Windows1250)},
    {"windows-1251", Reads(E::Windows1251)},
    {"windows-1252", Reads(E::Windows1252)},
    {"windows-1253", Reads(E::Windows1253)},
    {"windows-1254", Reads(E::Windows1254)},
    {"windows-1255", Reads(E::Windows1255)},
    {"windows-1256", Reads(E::Windows1256)},
    {"windows-1257", Reads(E::Windows1257)},
    {"windows-1258", Reads(E::Windows1258)},
    {"windows-31j", Reads(E::ShiftJis)},
    {"windows-874", Reads(E::Windows874)},
    {"windows-949", Reads(E::EucKr)},
    {"x-cp1250", Reads(E::Windows1250)},
    {"x-cp1251", Reads(E::Windows1251)},
    {"x-cp1252", Reads(E::Windows1252)},
    {"x-cp1253", Reads(E::Windows1253)},
    {"x-cp1254", Reads(E::Windows1254)},
    {"x-cp1255", Reads(E::Windows1255)},
    {"x-cp1256", Reads(E::Windows1256)},
    {"x-cp1257", Reads(E::Windows1257)},
    {"x-cp1258", Reads(E::Windows1258)},
    {"x-euc-jp", Reads(E::EucJp)},
    {"x-gbk", Reads(E::Gbk)},
    {"x-mac-cyrillic", Reads(E::XMacCyrillic)},
    {"x-mac-roman", Reads(E::Macintosh)},
    {"x-mac-ukrainian", Reads(E::XMacCyrillic)},
    {"x-sjis", Reads(E::ShiftJis)},
    {"x-unicode20utf8", Reads(E::Utf8)},
    {"x-user-defined", kUserDefined},
    {"x-x-big5", Reads(E::Big5)},
}};

constexpr bool Sorted() {
  for (std::size_t i = 1; i < kLabels.size(); ++i) {
    if (!(kLabels[i - 1].label < kLabels[i].label)) return false;
  }
  return true;
}
static_assert(Sorted(), "the labels are looked up by halving");

constexpr bool Listed() {
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    if (static_cast<std::size_t>(kNames[i].encoding) != i) return false;
  }
  return true;
}
static_assert(Listed(), "each encoding's names stand at its own index");

bool IsAsciiSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; }

}  // namespace

const EncodingNames& NamesOf(Encoding encoding) { return kNames[static_cast<std::size_t>(encoding)]; }

std::optional<LabelMeaning> MeaningOfLabel(std::string_view label) {
  while (!label.empty() && IsAsciiSpace(label.front())) label.remove_prefix(1);
  while (!label.empty() && IsAsciiSpace(label.back())) label.remove_suffix(1);
  std::string lowered(label);
  for (char& c : lowered) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  const auto it = std::lower_bound(kLabels.begin(), kLabels.end(), lowered,
                                   [](const Label& l, const std::string& s) { return l.label < s; });
  if (it == kLabels.end() || it->label != lowered) return std::nullopt;
  return it->meaning;
}

}  // namespace pages
