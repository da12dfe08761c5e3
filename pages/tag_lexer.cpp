#include "pages/tag_lexer.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace pages {

// Carriage returns count too: a parser has made line feeds of them first.
bool IsHtmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; }

bool IsHtmlSpace(char16_t c) { return c < 0x80 && IsHtmlSpace(static_cast<char>(c)); }

bool IsHtmlBlank(std::u16string_view text) {
  return std::all_of(text.begin(), text.end(), [](char16_t c) { return IsHtmlSpace(c); });
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

const TagAttribute* Tag::Find(std::string_view attributeName) const {
  for (const auto& attribute : attributes) {
    if (attribute.name == attributeName) return &attribute;
  }
  return nullptr;
}

namespace {

enum class State {
  BeforeName,
  Name,
  AfterName,
  BeforeValue,
  DoubleQuoted,
  SingleQuoted,
  Unquoted,
  SelfClosing,
};

// The bytes that end a run of a name or an unquoted value, by kind, looked
// up rather than compared one by one.
enum : unsigned char { kSpace = 1, kSlash = 2, kClose = 4, kEquals = 8 };
constexpr std::array<unsigned char, 256> kKinds = [] {
  std::array<unsigned char, 256> kinds{};
  for (const unsigned char c : {' ', '\t', '\n', '\f', '\r'}) kinds[c] = kSpace;
  kinds['/'] = kSlash;
  kinds['>'] = kClose;
  kinds['='] = kEquals;
  return kinds;
}();

// The end of the run from `at` of bytes of none of the kinds `ends`.
std::size_t RunEnd(std::string_view text, std::size_t at, unsigned char ends) {
  while (at < text.size() && !(kKinds[static_cast<unsigned char>(text[at])] & ends)) ++at;
  return at;
}

void AppendLowered(std::string& to, std::string_view from) {
  for (const char c : from) to.push_back(AsciiLower(c));
}

}  // namespace

bool LexTag(std::string_view text, std::size_t begin, Tag& tag) {
  tag.isEndTag = false;
  tag.name.clear();
  tag.begin = begin;
  tag.nameEnd = tag.end = tag.insertAt = 0;
  tag.selfClosing = tag.foreign = false;
  tag.nameNumber = 0;
  tag.rawTextEnd.reset();
  tag.attributes.clear();  // keeps its room for the next tag
  const std::size_t size = text.size();
  std::size_t i = begin + 1;
  if (i < size && text[i] == '/') {
    tag.isEndTag = true;
    ++i;
  }
  const std::size_t nameBegin = i;
  i = RunEnd(text, i, kSpace | kSlash | kClose);
  AppendLowered(tag.name, text.substr(nameBegin, i - nameBegin));
  tag.nameEnd = i;

  auto startAttribute = [&](std::size_t at) {
    TagAttribute& attribute = tag.attributes.emplace_back();
    attribute.nameBegin = at;
    attribute.leadBegin = at;
    while (attribute.leadBegin > tag.nameEnd && IsHtmlSpace(text[attribute.leadBegin - 1])) --attribute.leadBegin;
    attribute.name += AsciiLower(text[at]);
  };
  auto current = [&]() -> TagAttribute& { return tag.attributes.back(); };
  auto finishValue = [&](std::size_t valueEnd, std::size_t attributeEnd) {
    current().valueEnd = valueEnd;
    current().end = attributeEnd;
  };
  auto endAt = [&](std::size_t at, std::size_t insertAt) {
    tag.insertAt = insertAt;
    tag.end = at + 1;
    return true;
  };

  // Each state reads a run of bytes at once; the runs of names and values
  // are where the bytes of a tag are.
  State state = State::BeforeName;
  if (i < size && text[i] == '/') {
    state = State::SelfClosing;
    ++i;
  }
  while (i < size) {
    const char c = text[i];
    switch (state) {
      case State::BeforeName:
      case State::AfterName:
        if (IsHtmlSpace(c)) {
          ++i;
        } else if (c == '/') {
          state = State::SelfClosing;
          ++i;
        } else if (c == '>') {
          return endAt(i, i);
        } else if (c == '=' && state == State::AfterName) {
          state = State::BeforeValue;
          ++i;
        } else {
          // Even '=' starts a name before one.
          startAttribute(i++);
          state = State::Name;
        }
        break;
      case State::Name: {
        const std::size_t j = RunEnd(text, i, kSpace | kSlash | kClose | kEquals);
        AppendLowered(current().name, text.substr(i, j - i));
        if (j == size) return false;
        current().nameEnd = current().end = j;
        state = text[j] == '=' ? State::BeforeValue : State::AfterName;
        i = text[j] == '=' ? j + 1 : j;
        break;
      }
      case State::BeforeValue:
        if (IsHtmlSpace(c)) {
          ++i;
        } else if (c == '"' || c == '\'') {
          current().form = c == '"' ? ValueForm::DoubleQuoted : ValueForm::SingleQuoted;
          current().valueBegin = ++i;
          state = c == '"' ? State::DoubleQuoted : State::SingleQuoted;
        } else if (c == '>') {
          current().form = ValueForm::Empty;
          current().valueBegin = i;
          finishValue(i, i);
          return endAt(i, tag.nameEnd);
        } else {
          current().form = ValueForm::Unquoted;
          current().valueBegin = i;
          state = State::Unquoted;
        }
        break;
      case State::DoubleQuoted:
      case State::SingleQuoted: {
        const char quote = state == State::DoubleQuoted ? '"' : '\'';
        const auto* found = static_cast<const char*>(std::memchr(text.data() + i, quote, size - i));
        if (!found) return false;
        i = static_cast<std::size_t>(found - text.data());
        finishValue(i, i + 1);
        ++i;
        state = State::BeforeName;  // a missing space between attributes is tolerated
        break;
      }
      case State::Unquoted: {
        const std::size_t j = RunEnd(text, i, kSpace | kClose);
        if (j == size) return false;
        finishValue(j, j);
        i = j;
        state = State::BeforeName;
        break;
      }
      case State::SelfClosing:
        if (c == '>') {
          tag.selfClosing = true;
          return endAt(i, i - 1);
        }
        state = State::BeforeName;
        break;
    }
  }
  return false;
}

std::optional<Tag> LexTag(std::string_view text, std::size_t begin) {
  Tag tag;
  if (!LexTag(text, begin, tag)) return std::nullopt;
  return tag;
}

}  // namespace pages
