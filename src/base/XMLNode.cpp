#include "base/XMLNode.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <filesystem>
#include <istream>
#include <iterator>
#include <unordered_map>

#include "base/StringLib.h"
#include "base/TextFile.h"
#include "base/Errors.h"

namespace zelvo {

namespace {

constexpr char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::size_t FirstBlank(std::string_view s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (IsBlank(s[i])) return i;
  }
  return std::string_view::npos;
}

// Length of the well-formed UTF-8 sequence at s[i] that XML allows, or 0.
std::size_t Utf8SequenceLength(std::string_view s, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = byte(i);
  if (c < 0x80) return 1;
  std::size_t n = 0;
  unsigned char lo = 0x80, hi = 0xBF;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    if (c == 0xE0) lo = 0xA0;
    if (c == 0xED) hi = 0x9F;  // no surrogates
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    if (c == 0xF0) lo = 0x90;
    if (c == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  if (byte(i + 1) < lo || byte(i + 1) > hi) return 0;
  for (std::size_t k = 2; k < n; ++k) {
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  }
  // U+FFFE and U+FFFF are not XML characters.
  if (n == 3 && c == 0xEF && byte(i + 1) == 0xBF && byte(i + 2) >= 0xBE) return 0;
  return n;
}

}  // namespace

// ---------------------------------------------------------------------------
// Values and attributes

double TXMLValue::AsFloat() const {
  const std::string_view t = Trim(Text);
  if (t.empty()) return 0.0;
  // Files from regional settings with a decimal comma read like those with a point.
  std::string s(t);
  if (const std::size_t comma = s.find(','); comma != std::string::npos) s[comma] = '.';
  double v = 0.0;
  if (!TryParseFloat(s, v)) throw EConvertError::InvalidFloat(t);
  return v;
}

int TXMLValue::AsInteger() const {
  const double rounded = std::nearbyint(AsFloat());  // halves to even
  if (!(rounded >= static_cast<double>(INT_MIN) && rounded <= static_cast<double>(INT_MAX))) {
    throw EConvertError::InvalidInteger(Trim(Text));
  }
  return static_cast<int>(rounded);
}

TXMLValue& TXMLAttributes::Value(std::string_view name) {
  for (auto& item : Items) {
    if (XMLNamesMatch(item.first, name)) return item.second;
  }
  Items.emplace_back(std::string(name), TXMLValue{});
  return Items.back().second;
}

const TXMLValue* TXMLAttributes::Find(std::string_view name) const {
  for (const auto& item : Items) {
    if (XMLNamesMatch(item.first, name)) return &item.second;
  }
  return nullptr;
}

// ---------------------------------------------------------------------------
// Helpers

bool XMLNamesMatch(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  }
  return true;
}

std::string_view Unquote(std::string_view s) {
  if (s.empty() || (s.front() != '"' && s.front() != '\'')) return s;
  return s.size() >= 2 ? s.substr(1, s.size() - 2) : std::string_view{};
}

void SkipComment(std::string_view& text) {
  const std::size_t lt = text.find('<');
  if (lt == std::string_view::npos || text.substr(lt + 1, 3) != "!--") return;
  const std::size_t end = text.find("-->");
  text.remove_prefix(end == std::string_view::npos ? text.size() : end + 3);
}

void LineBreaksToBlanks(std::string& s) {
  for (char& c : s) {
    if (c == '\r' || c == '\n') c = ' ';
  }
}

std::string XMLAttributeSafeText(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    const char c = s[i];
    const std::size_t n = Utf8SequenceLength(s, i);
    if (n == 0 || static_cast<unsigned char>(c) < 0x20 || c == '\'' || c == '"' || c == '<' || c == '>' ||
        c == '&') {
      out.push_back('_');
      ++i;
      continue;
    }
    out.append(s.substr(i, n));
    i += n;
  }
  return out;
}

// ---------------------------------------------------------------------------
// Nodes

void TXMLNode::Clear() {
  Name.clear();
  Attributes.Clear();
  Children.clear();
}

TXMLNode& TXMLNode::AddChild() {
  Children.push_back(std::make_unique<TXMLNode>());
  return *Children.back();
}

void TXMLNode::LoadFromFile(const std::string& file_name) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(file_name, ec);
  if (!ec && size > kMaxTextFileBytes) {
    throw ELUTError("The file \"" + file_name + "\" is too large to be a LUT file.");
  }
  // Without a size (a missing file, a folder) the read raises the system's reason.
  LoadFromString(ReadFileHead(file_name, ec ? 0 : static_cast<std::size_t>(size)));
}

void TXMLNode::LoadFromStream(std::istream& stream) {
  const std::string text((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
  LoadFromString(text);
}

void TXMLNode::LoadFromString(std::string_view text, long long max_elements) {
  Clear();
  TParseLimits limits{max_elements, max_elements, text.data()};
  while (!text.empty()) AddParsedChild(limits).ParseElementAt(text, 1, limits);
}

void TXMLNode::ParseElement(std::string_view& text) {
  TParseLimits limits;
  limits.Base = text.data();
  ParseElementAt(text, 1, limits);
}

void TXMLNode::ParseContent(std::string_view& text) {
  TParseLimits limits;
  limits.Base = text.data();
  ParseContentAt(text, 1, limits);
}

TXMLNode& TXMLNode::AddParsedChild(TParseLimits& limits) {
  if (--limits.ElementsLeft < 0) {
    throw ELUTError("The XML document has too many elements (more than " + std::to_string(limits.MaxElements) + ").");
  }
  return AddChild();
}

void TXMLNode::ParseElementAt(std::string_view& text, int depth, TParseLimits& limits) {
  if (depth > kMaxXMLDepth) {
    throw ELUTError("The XML document is nested more than " + std::to_string(kMaxXMLDepth) + " levels deep.");
  }
  SkipComment(text);
  if (const std::size_t lt = text.find('<'); lt != std::string_view::npos) {
    if (limits.Base != nullptr) Offset = static_cast<std::size_t>(text.data() + lt - limits.Base);
    text.remove_prefix(lt + 1);
  }
  // The tag runs to the first '>'; without one, the rest of the text is the tag
  // (its last character dropped, as the closing '>' would be).
  const std::size_t gt = text.find('>');
  const std::size_t end = gt == std::string_view::npos ? text.size() : gt + 1;
  const std::size_t tag_length = end > 0 ? end - 1 : 0;
  bool no_content = tag_length > 0 && (text[tag_length - 1] == '/' || text[tag_length - 1] == '?');
  if (!text.empty() && text.front() == '!') no_content = true;
  std::string_view tag = text.substr(0, tag_length);
  text.remove_prefix(end);
  if (no_content && !tag.empty()) tag.remove_suffix(1);

  // Line breaks count as blanks here (as if LineBreaksToBlanks had run), so
  // the tag needs no copy.
  const std::size_t blank = FirstBlank(tag);
  Name = std::string(tag.substr(0, blank));
  if (blank != std::string_view::npos) {
    const std::string_view rest = Trim(tag.substr(blank + 1));
    if (!rest.empty()) ParseAttributes(rest);
  }
  if (!no_content) ParseContentAt(text, depth, limits);
}

void TXMLNode::ParseAttributes(std::string_view text) {
  // Names are looked up one by one while there are few; a tag with many gets an
  // index, so that one huge tag is read in linear time.
  constexpr std::size_t kIndexFrom = 16;
  std::unordered_map<std::string, std::size_t> index;  // upper-cased name -> item
  auto& items = Attributes.Items;
  const auto value_of = [&](std::string_view name) -> TXMLValue& {
    if (index.empty() && items.size() < kIndexFrom) return Attributes.Value(name);
    if (index.empty()) {
      for (std::size_t i = 0; i < items.size(); ++i) index.emplace(UpperCase(items[i].first), i);
    }
    const auto [it, added] = index.try_emplace(UpperCase(name), items.size());
    if (added) items.emplace_back(std::string(name), TXMLValue{});
    return items[it->second].second;
  };
  // name="value", name='value', name=value or a bare name; blanks may stand
  // around '=' and inside quotes, and a line break in a value reads as a blank.
  const auto skip_blanks = [&] {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    text.remove_prefix(i);
  };
  while (skip_blanks(), !text.empty()) {
    std::size_t i = 0;
    while (i < text.size() && !IsBlank(text[i]) && text[i] != '=') ++i;
    const std::string_view name = text.substr(0, i);
    if (name.empty()) {  // a stray '=' among the attributes
      text.remove_prefix(1);
      continue;
    }
    text.remove_prefix(i);
    skip_blanks();
    if (text.empty() || text.front() != '=') {
      value_of(name).Text.clear();
      continue;
    }
    text.remove_prefix(1);
    skip_blanks();
    std::string_view value;
    if (!text.empty() && (text.front() == '"' || text.front() == '\'')) {
      const std::size_t close = text.find(text.front(), 1);
      value = text.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
      text.remove_prefix(close == std::string_view::npos ? text.size() : close + 1);
    } else {
      std::size_t j = 0;
      while (j < text.size() && !IsBlank(text[j])) ++j;
      value = text.substr(0, j);
      text.remove_prefix(j);
    }
    std::string& target = value_of(name).Text;
    target = std::string(value);
    LineBreaksToBlanks(target);
  }
}

void TXMLNode::ParseContentAt(std::string_view& text, int depth, TParseLimits& limits) {
  Value.Text.clear();
  TextPieces.clear();
  const auto add_piece = [&](std::string_view piece) {
    if (limits.Base != nullptr) {
      TextPieces.push_back({Value.Text.size(), static_cast<std::size_t>(piece.data() - limits.Base)});
    }
    Value.Text.append(piece);
  };
  for (;;) {
    const std::size_t lt = text.find('<');
    // Without a '<', the last character stays behind, as it does for a tag.
    const std::size_t chunk_length = lt != std::string_view::npos ? lt : (text.empty() ? 0 : text.size() - 1);
    const std::string_view chunk = text.substr(0, chunk_length);
    if (!Trim(chunk).empty()) add_piece(chunk);
    text.remove_prefix(chunk_length);
    if (text.empty() || lt == std::string_view::npos) return;

    // text now starts with '<'. A comment may stand anywhere in the content,
    // between numbers too; it parts the texts on either side.
    if (text.substr(1, 3) == "!--") {
      const std::size_t close = text.find("-->", 4);
      text.remove_prefix(close == std::string_view::npos ? text.size() : close + 3);
      if (!Value.Text.empty()) Value.Text.push_back(' ');
      continue;
    }
    if (text.substr(1, 8) == "![CDATA[") {
      const std::size_t close = text.find("]]>", 9);
      const std::string_view section = close == std::string_view::npos ? text.substr(9) : text.substr(9, close - 9);
      Value.Text.push_back(' ');
      add_piece(section);
      text.remove_prefix(close == std::string_view::npos ? text.size() : close + 3);
      continue;
    }
    if (text.size() > 1 && text[1] == '/') {
      // Any closing tag ends this element; its name is not compared.
      const std::size_t gt = text.find('>');
      text.remove_prefix(gt == std::string_view::npos ? text.size() : gt + 1);
      return;
    }
    AddParsedChild(limits).ParseElementAt(text, depth + 1, limits);
  }
}

std::size_t TXMLNode::TextOffset(std::size_t at) const {
  // The last piece that starts at or before `at`; a separator the reader put
  // between pieces maps just past the piece before it.
  const auto after = std::upper_bound(TextPieces.begin(), TextPieces.end(), at,
                                      [](std::size_t a, const TTextPiece& p) { return a < p.At; });
  if (after == TextPieces.begin()) return std::string::npos;
  const TTextPiece& piece = *(after - 1);
  return piece.Offset + (at - piece.At);
}

TXMLNode* TXMLNode::FindChild(std::string_view name) const {
  for (const auto& child : Children) {
    if (XMLNamesMatch(child->Name, name)) return child.get();
  }
  return nullptr;
}

TXMLNode& TXMLNode::ChildByName(std::string_view name) const {
  if (TXMLNode* child = FindChild(name)) return *child;
  EZelvoError error("The \"" + std::string(name) + "\" node is not found");
  error.Position = Offset;
  throw error;
}

std::string DecodedXMLText(std::string_view text) {
  static constexpr std::pair<std::string_view, char> kEntities[] = {
      {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}, {"&apos;", '\''}};
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    bool decoded = false;
    if (text[i] == '&') {
      for (const auto& [entity, c] : kEntities) {
        if (text.substr(i, entity.size()) == entity) {
          out.push_back(c);
          i += entity.size() - 1;
          decoded = true;
          break;
        }
      }
    }
    if (!decoded) out.push_back(text[i] == '\r' || text[i] == '\n' ? ' ' : text[i]);
  }
  return out;
}

void DropNamespacePrefixes(TXMLNode& node) {
  if (const std::size_t colon = node.Name.rfind(':'); colon != std::string::npos) node.Name.erase(0, colon + 1);
  for (auto& child : node.Children) DropNamespacePrefixes(*child);
}

}  // namespace zelvo
