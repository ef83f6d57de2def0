// The small XML reader of the XML-based LUT formats. It is tolerant on purpose:
// files written by grading tools are often not well-formed, and they must load.
// It turns a whole file into a tree of elements whose texts stay text until a
// format asks for a number. It does not check that a closing tag matches its
// element. Entities are decoded and namespace prefixes dropped only where a
// format asks for it (DecodedXMLText, DropNamespacePrefixes): the older formats
// read their files as written.
//
//   <?xml version="1.0"?>          <- a child named "?xml" of the document
//   <lut name='film'>              <- attributes in single or double quotes
//     <size> 33 </size>            <- value " 33 "; AsInteger reads 33
//     <!-- skipped -->
//     <data><![CDATA[1 2 3]]></data>
//   </lut>
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelvo {

// Elements nested deeper than this end the load with an error, so that a
// hostile file cannot exhaust the stack.
inline constexpr int kMaxXMLDepth = 256;
// A document with more elements than this ends the load too: each element costs
// far more memory than its text (a few hundred bytes against a few), and no LUT
// document comes near it (the longest, an S.two table of 100,001 entries).
inline constexpr long long kMaxXMLElements = 250'000;

class TXMLValue {
 public:
  std::string Text;

  // The trimmed text as a decimal number; an empty text is 0, and the first '.'
  // and the first ',' both count as the decimal point. Raises EConvertError.
  double AsFloat() const;
  // AsFloat rounded to the nearest integer, halves to even.
  int AsInteger() const;
};

class TXMLAttributes {
 public:
  std::vector<std::pair<std::string, TXMLValue>> Items;

  void Clear() { Items.clear(); }
  // The value of the attribute named `name` ignoring case; a missing attribute is
  // appended with an empty value, so asking for it reads as "" (and as 0).
  TXMLValue& Value(std::string_view name);
  // The value, or nullptr when there is no such attribute.
  const TXMLValue* Find(std::string_view name) const;
};

class TXMLNode {
 public:
  TXMLNode() = default;
  TXMLNode(const TXMLNode&) = delete;
  TXMLNode& operator=(const TXMLNode&) = delete;

  std::string Name;
  TXMLValue Value;
  TXMLAttributes Attributes;
  std::vector<std::unique_ptr<TXMLNode>> Children;
  // Where the element's tag starts in the document, in bytes (npos for the
  // document node); errors about the element carry it.
  std::size_t Offset = std::string::npos;
  // Where the pieces of Value.Text stand in the document: each piece's start
  // in the text and its offset in the document, in order. Errors about a row
  // of the text carry the row's own place (TextOffset).
  struct TTextPiece {
    std::size_t At;
    std::size_t Offset;
  };
  std::vector<TTextPiece> TextPieces;
  // The document offset of the character at `at` of Value.Text (npos when
  // the text was not parsed from a document).
  std::size_t TextOffset(std::size_t at) const;

  // Name, attributes and children go; the value text stays (ParseContent resets it).
  void Clear();
  TXMLNode& AddChild();

  // Make this node the document: its children are the top-level items.
  void LoadFromFile(const std::string& file_name);
  void LoadFromStream(std::istream& stream);
  // `max_elements` bounds the elements one load may create (tests lower it).
  void LoadFromString(std::string_view text, long long max_elements = kMaxXMLElements);

  // The parsing steps; each consumes what it handled from the front of `text`.
  void ParseElement(std::string_view& text);
  void ParseContent(std::string_view& text);
  void ParseAttributes(std::string_view text);

  int ChildCount() const { return static_cast<int>(Children.size()); }
  TXMLNode& Child(int index) const { return *Children.at(static_cast<std::size_t>(index)); }
  // The first child named `name` ignoring case. Raises EZelvoError
  // 'The "name" node is not found' with the caller's spelling, and this
  // element's Offset as the error's Position.
  TXMLNode& ChildByName(std::string_view name) const;
  bool HasChild(std::string_view name) const { return FindChild(name) != nullptr; }
  TXMLNode* FindChild(std::string_view name) const;

 private:
  // What one parse may still create; shared by all nodes of the parse.
  struct TParseLimits {
    long long MaxElements = kMaxXMLElements;
    long long ElementsLeft = kMaxXMLElements;
    const char* Base = nullptr;  // the start of the document, for offsets
  };
  TXMLNode& AddParsedChild(TParseLimits& limits);
  void ParseElementAt(std::string_view& text, int depth, TParseLimits& limits);
  void ParseContentAt(std::string_view& text, int depth, TParseLimits& limits);
};

// Element and attribute names compare ignoring the case of ASCII letters.
bool XMLNamesMatch(std::string_view a, std::string_view b);

// S without its first and last character when it starts with a quotation mark.
std::string_view Unquote(std::string_view s);
// Removes the comment at the first '<' of Text, through the first "-->".
void SkipComment(std::string_view& text);
// Every CR and LF becomes a blank.
void LineBreaksToBlanks(std::string& s);

// The text of an element or attribute with the five predefined entities
// decoded and line breaks as blanks.
std::string DecodedXMLText(std::string_view text);
// Elements of a namespace ("clf:LUT1D") renamed to their local name, in the
// whole subtree.
void DropNamespacePrefixes(TXMLNode& node);

// A file name made safe for a quoted attribute value: quotes, '<', '>', '&',
// control characters and bytes that are not UTF-8 become '_', so that this
// reader and strict XML readers both accept the document.
std::string XMLAttributeSafeText(std::string_view s);

}  // namespace zelvo
