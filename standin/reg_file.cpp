#include "standin/reg_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "host/text.h"
#include "standin/windows1252.h"

namespace standin {
namespace {

constexpr std::u16string_view kHeader4 = u"REGEDIT4";
constexpr std::u16string_view kHeader5 = u"Windows Registry Editor Version 5.00";

bool IsStringType(std::uint32_t type) {
  return type == host::reg::kRegSz || type == host::reg::kRegExpandSz || type == host::reg::kRegMultiSz;
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string_view TrimLeft(std::u16string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

std::u16string_view TrimRight(std::u16string_view s) {
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool StartsWithNoCase(std::u16string_view s, std::u16string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char16_t a = s[i];
    if (a >= u'A' && a <= u'Z') a = static_cast<char16_t>(a + 0x20);
    if (a != prefix[i]) return false;
  }
  return true;
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

std::optional<std::uint32_t> ParseHex(std::u16string_view digits) {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  std::uint32_t value = 0;
  for (char16_t c : digits) {
    const int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    value = value * 16 + static_cast<std::uint32_t>(d);
  }
  return value;
}

// Undoes the byte-order mark and the encoding; the header decides later
// which of the two formats the text is.
host::Text Decode(std::string_view bytes) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
    host::Text text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
    }
    if (bytes.size() % 2 != 0) {
      const int line = 1 + static_cast<int>(std::count(text.begin(), text.end(), u'\n'));
      throw RegFileError(line, "the file ends in the middle of a UTF-16 character");
    }
    return text;
  }
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return host::FromUtf8(bytes.substr(3));
  if (bytes.substr(0, kHeader5.size()) == "Windows Registry Editor Version 5.00") return host::FromUtf8(bytes);
  return Windows1252().ToUtf16(bytes);
}

std::vector<host::Text> SplitLines(const host::Text& text) {
  std::vector<host::Text> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(u'\n', start);
    if (end == host::Text::npos) end = text.size();
    host::Text line = text.substr(start, end - start);
    if (!line.empty() && line.back() == u'\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

struct Operation {
  enum class Kind { CreateKey, DeleteKey, SetValue, DeleteValue } kind;
  std::string key;
  std::string name;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

class Parser {
 public:
  explicit Parser(std::vector<host::Text> lines) : lines_(std::move(lines)) {}

  std::vector<Operation> Parse() {
    const host::Text header(TrimRight(lines_.front()));
    if (header == kHeader4) {
      format_ = RegFormat::Regedit4;
    } else if (header == kHeader5) {
      format_ = RegFormat::Version5;
    } else {
      throw RegFileError(1, "the first line must be \"REGEDIT4\" or \"Windows Registry Editor Version 5.00\"");
    }
    for (index_ = 1; index_ < lines_.size(); ++index_) {
      const std::u16string_view line = TrimRight(TrimLeft(lines_[index_]));
      if (line.empty() || line.front() == u';') continue;
      if (line.front() == u'[') {
        ParseKeyLine(line);
      } else if (line.front() == u'"' || line.front() == u'@') {
        ParseValueLine(line);
      } else {
        Fail("expected a [key], a \"name\"=value or @=value line");
      }
    }
    return std::move(operations_);
  }

 private:
  int LineNumber() const { return static_cast<int>(index_) + 1; }
  [[noreturn]] void Fail(const std::string& problem) const { throw RegFileError(LineNumber(), problem); }

  std::string ToAnsi(std::u16string_view text, const char* what) const {
    std::string ansi;
    for (char16_t c : text) {
      const auto byte = Utf16ToWindows1252(c);
      if (!byte) Fail(std::string(what) + " holds a character outside the ANSI code page");
      ansi += static_cast<char>(*byte);
    }
    return ansi;
  }

  void ParseKeyLine(std::u16string_view line) {
    if (line.back() != u']') Fail("a key line must end with ']'");
    std::u16string_view path = line.substr(1, line.size() - 2);
    const bool deletion = !path.empty() && path.front() == u'-';
    if (deletion) path.remove_prefix(1);
    std::string ansiPath = ToAnsi(path, "the key path");
    KeyPath parsed;
    try {
      parsed = ParseKeyPath(ansiPath);
    } catch (const std::invalid_argument& e) {
      Fail(e.what());
    }
    if (deletion && parsed.parts.empty()) Fail("a hive cannot be deleted");
    operations_.push_back({deletion ? Operation::Kind::DeleteKey : Operation::Kind::CreateKey, ansiPath, {}, 0, {}});
    currentKey_ = deletion ? std::nullopt : std::optional<std::string>(std::move(ansiPath));
    inDeletedKey_ = deletion;
  }

  // Reads a quoted string whose first character is the opening quote;
  // returns the text and leaves `rest` after the closing quote.
  host::Text ParseQuoted(std::u16string_view& rest) const {
    host::Text text;
    for (std::size_t i = 1; i < rest.size(); ++i) {
      const char16_t c = rest[i];
      if (c == u'"') {
        rest.remove_prefix(i + 1);
        return text;
      }
      if (c == u'\\') {
        if (i + 1 == rest.size() || (rest[i + 1] != u'\\' && rest[i + 1] != u'"')) {
          Fail("a backslash in a quoted string must be followed by \\ or \"");
        }
        text += rest[++i];
      } else {
        text += c;
      }
    }
    Fail("a quoted string has no closing quote");
  }

  void ParseValueLine(std::u16string_view line) {
    if (inDeletedKey_) Fail("a value under a [-key] that is being deleted");
    if (!currentKey_) Fail("a value before any [key]");
    Operation op{Operation::Kind::SetValue, *currentKey_, {}, 0, {}};
    std::u16string_view rest = line;
    bool hexData = false;
    if (rest.front() == u'@') {
      rest.remove_prefix(1);
    } else {
      op.name = ToAnsi(ParseQuoted(rest), "the value name");
    }
    rest = TrimLeft(rest);
    if (rest.empty() || rest.front() != u'=') Fail("expected '=' after the value name");
    rest = TrimLeft(rest.substr(1));

    if (rest == u"-") {
      op.kind = Operation::Kind::DeleteValue;
    } else if (!rest.empty() && rest.front() == u'"') {
      const host::Text text = ParseQuoted(rest);
      if (!TrimLeft(rest).empty()) Fail("unexpected text after the closing quote");
      const std::string ansi = ToAnsi(text, "the string");
      op.type = host::reg::kRegSz;
      op.data.assign(ansi.begin(), ansi.end());
      op.data.push_back(0);
    } else if (StartsWithNoCase(rest, u"dword:")) {
      const auto value = ParseHex(rest.substr(6));
      if (!value) Fail("dword: takes one to eight hexadecimal digits");
      op.type = host::reg::kRegDword;
      for (int i = 0; i < 4; ++i) op.data.push_back(static_cast<std::uint8_t>(*value >> (8 * i)));
    } else if (StartsWithNoCase(rest, u"hex:")) {
      op.type = host::reg::kRegBinary;
      op.data = ParseHexBytes(rest.substr(4));
      hexData = true;
    } else if (StartsWithNoCase(rest, u"hex(")) {
      const std::size_t close = rest.find(u"):");
      const auto type = close == std::u16string_view::npos ? std::nullopt : ParseHex(rest.substr(4, close - 4));
      if (!type) Fail("hex(N): takes the type N in one to eight hexadecimal digits");
      op.type = *type;
      op.data = ParseHexBytes(rest.substr(close + 2));
      hexData = true;
    } else {
      Fail("the value must be \"text\", -, dword:, hex: or hex(N):");
    }
    // Version 5 files give the bytes of string types as UTF-16LE.
    if (hexData && format_ == RegFormat::Version5 && IsStringType(op.type)) {
      op.data = Utf16LeToAnsi(op.data);
    }
    operations_.push_back(std::move(op));
  }

  // Comma-separated bytes; a line ending in a backslash goes on in the next.
  // Leaves index_ at the last line the value used.
  std::vector<std::uint8_t> ParseHexBytes(std::u16string_view first) {
    std::vector<std::uint8_t> bytes;
    std::u16string_view segment = first;
    bool expectMore = false;  // a comma was read, so another byte must follow
    while (true) {
      segment = TrimRight(TrimLeft(segment));
      const bool continues = !segment.empty() && segment.back() == u'\\';
      if (continues) segment = TrimRight(segment.substr(0, segment.size() - 1));
      std::size_t pos = 0;
      while (pos < segment.size()) {
        std::size_t comma = segment.find(u',', pos);
        if (comma == std::u16string_view::npos) comma = segment.size();
        const std::u16string_view token = TrimRight(TrimLeft(segment.substr(pos, comma - pos)));
        const auto value = token.size() <= 2 ? ParseHex(token) : std::nullopt;
        if (!value) Fail("hex data must be bytes of two hexadecimal digits separated by commas");
        bytes.push_back(static_cast<std::uint8_t>(*value));
        expectMore = comma < segment.size();
        pos = comma + 1;
      }
      if (!continues) break;
      if (index_ + 1 == lines_.size()) Fail("the hex data goes on past the end of the file");
      segment = lines_[++index_];
    }
    if (expectMore) Fail("the hex data ends with a comma");
    return bytes;
  }

  std::vector<std::uint8_t> Utf16LeToAnsi(const std::vector<std::uint8_t>& bytes) const {
    if (bytes.size() % 2 != 0) Fail("string data in a version 5 file must be whole UTF-16 characters");
    std::u16string text;
    for (std::size_t i = 0; i < bytes.size(); i += 2) text += static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
    const std::string ansi = ToAnsi(text, "the string data");
    return {ansi.begin(), ansi.end()};
  }

  std::vector<host::Text> lines_;
  std::size_t index_ = 0;
  RegFormat format_ = RegFormat::Regedit4;
  std::optional<std::string> currentKey_;
  bool inDeletedKey_ = false;
  std::vector<Operation> operations_;
};

std::string Quote(std::string_view ansi) {
  std::string quoted = "\"";
  for (char c : ansi) {
    if (c == '\\' || c == '"') quoted += '\\';
    quoted += c;
  }
  return quoted + '"';
}

// A REG_SZ that a quoted string gives back exactly: its text, one NUL at
// the end, and no line break that would split the line.
bool WritesAsQuoted(const RegistryValue& value) {
  if (value.type != host::reg::kRegSz || value.data.empty() || value.data.back() != 0) return false;
  for (std::size_t i = 0; i + 1 < value.data.size(); ++i) {
    const auto c = value.data[i];
    if (c == 0 || c == '\r' || c == '\n') return false;
  }
  return true;
}

class Writer {
 public:
  explicit Writer(RegFormat format) : format_(format) {
    out_ = format == RegFormat::Regedit4 ? "REGEDIT4" : "Windows Registry Editor Version 5.00";
    out_ += "\r\n\r\n";
  }

  void Key(const std::string& path, const std::vector<RegistryValue>& values) {
    out_ += "[" + path + "]\r\n";
    for (const auto& value : values) Value(value);
    out_ += "\r\n";
  }

  std::string Finish() const {
    if (format_ == RegFormat::Regedit4) return out_;
    const host::Text text = Windows1252().ToUtf16(out_);
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
      bytes += static_cast<char>(c & 0xFF);
      bytes += static_cast<char>(c >> 8);
    }
    return bytes;
  }

 private:
  void Value(const RegistryValue& value) {
    std::string line = value.name.empty() ? "@=" : Quote(value.name) + "=";
    if (WritesAsQuoted(value)) {
      out_ += line + Quote(std::string_view(reinterpret_cast<const char*>(value.data.data()), value.data.size() - 1)) +
              "\r\n";
      return;
    }
    if (value.type == host::reg::kRegDword && value.data.size() == 4) {
      char digits[9];
      const std::uint32_t n = value.data[0] | value.data[1] << 8 | value.data[2] << 16 |
                              static_cast<std::uint32_t>(value.data[3]) << 24;
      std::snprintf(digits, sizeof digits, "%08x", n);
      out_ += line + "dword:" + digits + "\r\n";
      return;
    }
    if (value.type == host::reg::kRegBinary) {
      line += "hex:";
    } else {
      char type[16];
      std::snprintf(type, sizeof type, "hex(%x):", value.type);
      line += type;
    }
    std::vector<std::uint8_t> bytes = value.data;
    if (format_ == RegFormat::Version5 && IsStringType(value.type)) {
      bytes.clear();
      for (char16_t c : Windows1252().ToUtf16(std::string_view(reinterpret_cast<const char*>(value.data.data()),
                                                                value.data.size()))) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
      }
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      char token[4];
      std::snprintf(token, sizeof token, i + 1 < bytes.size() ? "%02x," : "%02x", bytes[i]);
      // Wrap as regedit does, keeping lines within 80 columns.
      if (line.size() + 3 > 77) {
        out_ += line + "\\\r\n";
        line = "  ";
      }
      line += token;
    }
    out_ += line + "\r\n";
  }

  RegFormat format_;
  std::string out_;
};

// The path with each key named as the registry holds it.
std::string CanonicalPath(const Registry& registry, std::string_view keyPath) {
  const KeyPath parsed = ParseKeyPath(keyPath);
  std::string path(HiveName(parsed.hive));
  for (const auto& part : parsed.parts) {
    const std::string wanted = FoldCase(part);
    std::string stored = part;
    for (const auto& sub : registry.SubKeys(path)) {
      if (FoldCase(sub) == wanted) stored = sub;
    }
    path += "\\" + stored;
  }
  return path;
}

void ExportTree(const Registry& registry, const std::string& path, Writer& writer) {
  writer.Key(path, registry.Values(path));
  for (const auto& sub : registry.SubKeys(path)) ExportTree(registry, path + "\\" + sub, writer);
}

std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + file.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

RegFileError::RegFileError(int line, const std::string& problem)
    : std::runtime_error("line " + std::to_string(line) + ": " + problem), line_(line) {}

void ImportReg(Registry& registry, std::string_view fileBytes) {
  // Everything is checked before anything is written, so that a bad line
  // leaves the registry untouched.
  const std::vector<Operation> operations = Parser(SplitLines(Decode(fileBytes))).Parse();
  for (const auto& op : operations) {
    switch (op.kind) {
      case Operation::Kind::CreateKey:
        registry.CreateKey(op.key);
        break;
      case Operation::Kind::DeleteKey:
        registry.DeleteKey(op.key);
        break;
      case Operation::Kind::SetValue:
        registry.SetValue(op.key, op.name, op.type, op.data);
        break;
      case Operation::Kind::DeleteValue:
        registry.DeleteValue(op.key, op.name);
        break;
    }
  }
}

void ImportRegFile(Registry& registry, const std::filesystem::path& file) { ImportReg(registry, ReadAll(file)); }

std::string ExportReg(const Registry& registry, std::string_view keyPath, RegFormat format) {
  if (!registry.KeyExists(keyPath)) throw std::out_of_range("no registry key \"" + std::string(keyPath) + "\"");
  Writer writer(format);
  ExportTree(registry, CanonicalPath(registry, keyPath), writer);
  return writer.Finish();
}

void ExportRegFile(const Registry& registry, std::string_view keyPath, RegFormat format,
                   const std::filesystem::path& file) {
  const std::string bytes = ExportReg(registry, keyPath, format);
  std::ofstream out(file, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

}  // namespace standin
