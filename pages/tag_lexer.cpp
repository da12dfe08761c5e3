#include "pages/tag_lexer.h"

namespace pages {
namespace {

enum class State {
  BeforeName,
  Name,
  AfterName,
  BeforeValue,
  DoubleQuoted,
  SingleQuoted,
  Unquoted,
  AfterQuotedValue,
  SelfClosing,
};

}  // namespace

// Carriage returns count too: a parser has made line feeds of them first.
bool IsHtmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; }

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

const TagAttribute* Tag::Find(std::string_view attributeName) const {
  for (const auto& attribute : attributes) {
    if (attribute.name == attributeName) return &attribute;
  }
  return nullptr;
}

std::optional<Tag> LexTag(std::string_view text, std::size_t begin) {
  Tag tag;
  tag.begin = begin;
  std::size_t i = begin + 1;
  if (i < text.size() && text[i] == '/') {
    tag.isEndTag = true;
    ++i;
  }
  for (; i < text.size() && !IsHtmlSpace(text[i]) && text[i] != '/' && text[i] != '>'; ++i) {
    tag.name += AsciiLower(text[i]);
  }
  tag.nameEnd = i;

  auto startAttribute = [&](std::size_t at) {
    TagAttribute attribute;
    attribute.nameBegin = at;
    attribute.leadBegin = at;
    while (attribute.leadBegin > tag.nameEnd && IsHtmlSpace(text[attribute.leadBegin - 1])) --attribute.leadBegin;
    tag.attributes.push_back(attribute);
  };
  auto current = [&]() -> TagAttribute& { return tag.attributes.back(); };
  auto finishName = [&](std::size_t at) {
    current().nameEnd = at;
    current().end = at;
  };
  auto finishValue = [&](std::size_t valueEnd, std::size_t attributeEnd) {
    current().valueEnd = valueEnd;
    current().end = attributeEnd;
  };

  State state = State::BeforeName;
  if (i < text.size() && text[i] == '/') {
    state = State::SelfClosing;
    ++i;
  }
  for (; i < text.size(); ++i) {
    const char c = text[i];
    switch (state) {
      case State::BeforeName:
        if (IsHtmlSpace(c)) break;
        if (c == '/') {
          state = State::SelfClosing;
        } else if (c == '>') {
          tag.insertAt = i;
          tag.end = i + 1;
          return tag;
        } else {
          // Even '=' starts a name here.
          startAttribute(i);
          current().name += AsciiLower(c);
          state = State::Name;
        }
        break;
      case State::Name:
        if (IsHtmlSpace(c) || c == '/' || c == '>') {
          finishName(i);
          state = State::AfterName;
          --i;  // looked at again after the name
        } else if (c == '=') {
          finishName(i);
          state = State::BeforeValue;
        } else {
          current().name += AsciiLower(c);
        }
        break;
      case State::AfterName:
        if (IsHtmlSpace(c)) break;
        if (c == '/') {
          state = State::SelfClosing;
        } else if (c == '=') {
          state = State::BeforeValue;
        } else if (c == '>') {
          tag.insertAt = i;
          tag.end = i + 1;
          return tag;
        } else {
          startAttribute(i);
          current().name += AsciiLower(c);
          state = State::Name;
        }
        break;
      case State::BeforeValue:
        if (IsHtmlSpace(c)) break;
        if (c == '"' || c == '\'') {
          current().form = c == '"' ? ValueForm::DoubleQuoted : ValueForm::SingleQuoted;
          current().valueBegin = i + 1;
          state = c == '"' ? State::DoubleQuoted : State::SingleQuoted;
        } else if (c == '>') {
          current().form = ValueForm::Empty;
          current().valueBegin = i;
          finishValue(i, i);
          tag.insertAt = tag.nameEnd;
          tag.end = i + 1;
          return tag;
        } else {
          current().form = ValueForm::Unquoted;
          current().valueBegin = i;
          state = State::Unquoted;
        }
        break;
      case State::DoubleQuoted:
      case State::SingleQuoted:
        if (c == (state == State::DoubleQuoted ? '"' : '\'')) {
          finishValue(i, i + 1);
          state = State::AfterQuotedValue;
        }
        break;
      case State::Unquoted:
        if (IsHtmlSpace(c) || c == '>') {
          finishValue(i, i);
          state = State::BeforeName;
          --i;
        }
        break;
      case State::AfterQuotedValue:
        state = State::BeforeName;
        --i;  // a missing space between attributes is tolerated
        break;
      case State::SelfClosing:
        if (c == '>') {
          tag.insertAt = i - 1;
          tag.end = i + 1;
          tag.selfClosing = true;
          return tag;
        }
        state = State::BeforeName;
        --i;
        break;
    }
  }
  return std::nullopt;
}

}  // namespace pages
