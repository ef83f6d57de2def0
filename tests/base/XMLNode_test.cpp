#include "base/XMLNode.h"

#include <gtest/gtest.h>

#include <sstream>

#include "TestSupport.h"
#include "base/Errors.h"

namespace zelvo {
namespace {

using test::ErrorOf;

TEST(XMLNode, DeclarationAndRootAreChildrenOfTheDocument) {
  TXMLNode doc;
  doc.LoadFromString("<?xml version=\"1.0\" encoding='UTF-8'?>\n<lut type=\"ascii\">\n<size>33</size>\n</lut>\n");
  EXPECT_EQ(doc.Name, "");
  ASSERT_GE(doc.ChildCount(), 2);
  const TXMLNode& decl = doc.Child(0);
  EXPECT_EQ(decl.Name, "?xml");
  EXPECT_EQ(decl.Value.Text, "");
  ASSERT_NE(decl.Attributes.Find("version"), nullptr);
  EXPECT_EQ(decl.Attributes.Find("version")->Text, "1.0");
  EXPECT_EQ(decl.Attributes.Find("encoding")->Text, "UTF-8");
  EXPECT_EQ(doc.Child(1).Name, "lut");
  EXPECT_EQ(doc.Child(1).ChildByName("size").Value.Text, "33");
  // The line feed after the root becomes a nameless node.
  ASSERT_EQ(doc.ChildCount(), 3);
  EXPECT_EQ(doc.Child(2).Name, "");
}

TEST(XMLNode, LookupsIgnoreCase) {
  TXMLNode doc;
  doc.LoadFromString("<Look><LUT SIZE='8'><Data>x</Data></LUT></Look>");
  TXMLNode& lut = doc.ChildByName("LOOK").ChildByName("lut");
  EXPECT_EQ(lut.Name, "LUT");
  EXPECT_TRUE(lut.HasChild("dAtA"));
  EXPECT_FALSE(lut.HasChild("size"));
  EXPECT_EQ(lut.Attributes.Value("size").Text, "8");
}

TEST(XMLNode, ValueKeepsBlanksAndNumbersTrimThem) {
  TXMLNode doc;
  doc.LoadFromString("<size>\n   33\n</size>");
  const TXMLValue& v = doc.ChildByName("size").Value;
  EXPECT_EQ(v.Text, "\n   33\n");
  EXPECT_EQ(v.AsFloat(), 33.0);
  EXPECT_EQ(v.AsInteger(), 33);
}

TEST(XMLNode, TextSplitByChildrenIsGluedTogether) {
  TXMLNode doc;
  doc.LoadFromString("<a>12<b/>34<c>x</c>56</a>");
  const TXMLNode& a = doc.ChildByName("a");
  EXPECT_EQ(a.Value.Text, "123456");
  ASSERT_EQ(a.ChildCount(), 2);
  EXPECT_EQ(a.Child(0).Name, "b");
  EXPECT_EQ(a.Child(1).Value.Text, "x");
}

TEST(XMLNode, CDataAddsABlankAndItsTextUnparsed) {
  TXMLNode doc;
  doc.LoadFromString("<d>1<![CDATA[<x>2 & 3</x>]]>4</d>");
  const TXMLNode& d = doc.ChildByName("d");
  EXPECT_EQ(d.Value.Text, "1 <x>2 & 3</x>4");
  EXPECT_EQ(d.ChildCount(), 0);
}

TEST(XMLNode, AttributesUnquotedWithTheirBlanks) {
  TXMLNode doc;
  doc.LoadFromString(
      "<LUT3D name='my grade' N='17'\r\n\tBitDepth = \"16\" flag r=1 N='5' title='two\n lines' = q=\"it's\"/>");
  const TXMLNode& n = doc.ChildByName("lut3d");
  for (const char* name : {"name", "bitdepth", "flag", "r", "N", "title", "q"}) {
    ASSERT_NE(n.Attributes.Find(name), nullptr) << name;
  }
  EXPECT_EQ(n.Attributes.Find("name")->Text, "my grade");
  EXPECT_EQ(n.Attributes.Find("bitdepth")->Text, "16");
  EXPECT_EQ(n.Attributes.Find("flag")->Text, "");
  EXPECT_EQ(n.Attributes.Find("r")->Text, "1");
  EXPECT_EQ(n.Attributes.Find("N")->Text, "5");  // a repeated name overwrites
  EXPECT_EQ(n.Attributes.Find("title")->Text, "two  lines");
  EXPECT_EQ(n.Attributes.Find("q")->Text, "it's");
  EXPECT_EQ(n.Attributes.Items.size(), 7u);
  EXPECT_EQ(n.ChildCount(), 0);
}

TEST(XMLNode, MissingAttributeIsAddedEmpty) {
  TXMLAttributes a;
  EXPECT_EQ(a.Value("BitDepth").Text, "");
  EXPECT_EQ(a.Value("BitDepth").AsFloat(), 0.0);
  ASSERT_EQ(a.Items.size(), 1u);
  EXPECT_EQ(a.Items[0].first, "BitDepth");
}

TEST(XMLNode, CommentsAreSkipped) {
  TXMLNode doc;
  doc.LoadFromString(
      "<!-- a <b> c --><root><!-- one --><x>1</x>"
      "<d>text <!-- with <markup> --> more</d><a>1 2<!-- c -->3\n<!--\n-->4</a><y/></root>");
  ASSERT_EQ(doc.ChildCount(), 1);
  const TXMLNode& root = doc.Child(0);
  EXPECT_EQ(root.Name, "root");
  ASSERT_EQ(root.ChildCount(), 4);
  EXPECT_EQ(root.ChildByName("x").Value.Text, "1");
  // A comment parts the texts around it and never ends the element.
  EXPECT_EQ(root.ChildByName("d").Value.Text, "text   more");
  EXPECT_EQ(root.ChildByName("a").Value.Text, "1 2 3\n 4");
  EXPECT_EQ(root.Child(3).Name, "y");
}

TEST(XMLNode, NotFoundNamesTheElementAsAsked) {
  TXMLNode doc;
  doc.LoadFromString("<lut><data/></lut>");
  try {
    doc.ChildByName("lut").ChildByName("Cube");
    FAIL() << "no error";
  } catch (const ELUTError&) {
    FAIL() << "the not-found error is the general one, not a LUT error";
  } catch (const EZelvoError& e) {
    EXPECT_STREQ(e.what(), "The \"Cube\" node is not found");
  }
  TXMLNode empty;
  EXPECT_EQ(ErrorOf([&] { empty.ChildByName("ColorCorrection"); }), "The \"ColorCorrection\" node is not found");
}

TEST(XMLNode, MalformedMarkupRaisesNothing) {
  struct Case {
    const char* text;
    int children;  // of the document
    const char* first_name;
  };
  const Case cases[] = {
      {"<a", 1, ""},                         // no '>': the rest is the tag, its last character dropped
      {"<abc", 1, "ab"},                     //
      {"<a><![CDATA[never closed", 1, "a"},  // the rest is the section
      {"<a><b>1</wrong>2</a>", 1, "a"},      // any closing tag closes the current element
      {"<!DOCTYPE lut><lut/>", 2, "!DOCTYPE"},
      {"just text", 1, "just"},  // text without markup is a tag too
      {"<", 1, ""},
      {"<>", 1, ""},
      {"</>", 1, ""},
      {"<a></", 1, "a"},
      {"<!-- never closed", 1, ""},
      {"<a>x<!--", 1, "a"},
      {"<a b= c='' d=\"\"/>", 1, "a"},
      {"<?", 1, ""},
  };
  for (const Case& c : cases) {
    TXMLNode doc;
    EXPECT_NO_THROW(doc.LoadFromString(c.text)) << c.text;
    ASSERT_EQ(doc.ChildCount(), c.children) << c.text;
    EXPECT_EQ(doc.Child(0).Name, c.first_name) << c.text;
  }
  TXMLNode doc;
  doc.LoadFromString("<a><b>1</wrong>2</a>");
  EXPECT_EQ(doc.Child(0).Value.Text, "2");
  EXPECT_EQ(doc.Child(0).Child(0).Value.Text, "1");
}

TEST(XMLNode, NestingDepthIsBounded) {
  auto nested = [](int depth) {
    std::string s;
    for (int i = 0; i < depth; ++i) s += "<a>";
    s += "1";
    for (int i = 0; i < depth; ++i) s += "</a>";
    return s;
  };
  TXMLNode doc;
  EXPECT_NO_THROW(doc.LoadFromString(nested(kMaxXMLDepth)));
  const std::string message = ErrorOf([&] { doc.LoadFromString(nested(kMaxXMLDepth + 1)); });
  EXPECT_EQ(message, "The XML document is nested more than 256 levels deep.");
  // Far deeper input ends the same way, long before the stack would run out.
  std::string opened;
  for (int i = 0; i < 200'000; ++i) opened += "<x>";
  EXPECT_THROW(doc.LoadFromString(opened), ELUTError);
}

TEST(XMLNode, ElementCountIsBounded) {
  TXMLNode doc;
  EXPECT_NO_THROW(doc.LoadFromString("<a><b/><c/></a>", 3));
  EXPECT_EQ(ErrorOf([&] { doc.LoadFromString("<a><b/><c/></a><d/>", 3); }),
            "The XML document has too many elements (more than 3).");
}

TEST(XMLNode, ManyAttributesInOneTag) {
  // Past a few attributes the names are indexed (how fast, the benchmarks
  // say); a repeated name, in any case, still overwrites the first.
  std::string tag = "<a";
  for (int i = 0; i < 50'000; ++i) tag += " n" + std::to_string(i) + "='" + std::to_string(i) + "'";
  tag += " N7='x' N49999=y/>";
  TXMLNode doc;
  doc.LoadFromString(tag);
  const TXMLAttributes& a = doc.Child(0).Attributes;
  ASSERT_EQ(a.Items.size(), 50'000u);
  EXPECT_EQ(a.Find("n7")->Text, "x");
  EXPECT_EQ(a.Find("n49999")->Text, "y");
  EXPECT_EQ(a.Find("n12345")->Text, "12345");
  EXPECT_EQ(a.Items[20].first, "n20");
}

TEST(XMLNode, HugeInputsLoadWhole) {
  TXMLNode doc;
  const std::string tag = "<" + std::string(1'000'000, 'x');
  doc.LoadFromString(tag);
  EXPECT_EQ(doc.Child(0).Name.size(), 1'000'000u - 1);
  std::string siblings = "<r>";
  for (int i = 0; i < 20'000; ++i) siblings += "<e v='1'/>";
  siblings += "</r>";
  doc.LoadFromString(siblings);
  EXPECT_EQ(doc.Child(0).ChildCount(), 20'000);
  doc.LoadFromString("<a>" + std::string(1'000'000, ' ') + "z</a>");
  EXPECT_EQ(doc.Child(0).Value.Text.size(), 1'000'001u);
}

TEST(XMLNode, LoadingAgainReplacesTheTree) {
  TXMLNode doc;
  doc.LoadFromString("<a/><b/>");
  std::istringstream in("<c>1</c>");
  doc.LoadFromStream(in);
  ASSERT_EQ(doc.ChildCount(), 1);
  EXPECT_EQ(doc.Child(0).Name, "c");
}

TEST(XMLNode, LoadFromFile) {
  test::TempDir dir;
  TXMLNode doc;
  doc.LoadFromFile(dir.Write("a.xml", "\xEF\xBB\xBF<a>1</a>"));
  EXPECT_EQ(doc.ChildByName("a").Value.AsInteger(), 1);
  EXPECT_THROW(doc.LoadFromFile(dir.File("missing.xml")), EOSError);
  EXPECT_THROW(doc.LoadFromFile(dir.path().string()), EOSError);
}

TEST(XMLValue, Numbers) {
  struct Case {
    const char* text;
    double value;
  };
  const Case good[] = {{"", 0.0},         {"  ", 0.0},     {"0.5", 0.5},      {"0,5", 0.5},
                       {" \n1023\t", 1023}, {"-2.5e1", -25}, {".25", 0.25},     {"1e2", 100}};
  for (const Case& c : good) {
    TXMLValue v{c.text};
    EXPECT_DOUBLE_EQ(v.AsFloat(), c.value) << c.text;
  }
  for (const char* bad : {"abc", "1,5.0", "0.5.5", "1 2", "nan", "inf", "1e999", "0x10"}) {
    TXMLValue v{bad};
    std::string expected = "'";
    expected.append(bad).append("' is not a valid floating point value");
    EXPECT_EQ(ErrorOf([&] { v.AsFloat(); }), expected);
  }
  const std::pair<const char*, int> ints[] = {{"2.5", 2}, {"3.5", 4}, {"-2.5", -2}, {"16,4", 16}, {"", 0}};
  for (const auto& [text, value] : ints) EXPECT_EQ(TXMLValue{text}.AsInteger(), value) << text;
  EXPECT_THROW(TXMLValue{"1e10"}.AsInteger(), EConvertError);
  EXPECT_EQ(ErrorOf([] { TXMLValue{"x1"}.AsInteger(); }), "'x1' is not a valid floating point value");
}

TEST(XMLHelpers, UnquoteSkipCommentLineBreaks) {
  EXPECT_EQ(Unquote("\"33\""), "33");
  EXPECT_EQ(Unquote("'33'"), "33");
  EXPECT_EQ(Unquote("'33"), "3");  // the last character goes, whatever it is
  EXPECT_EQ(Unquote("'"), "");
  EXPECT_EQ(Unquote("33\""), "33\"");

  std::string_view t = "  <!-- x --> <a>";
  SkipComment(t);
  EXPECT_EQ(t, " <a>");
  t = "<a><!-- x -->";
  SkipComment(t);
  EXPECT_EQ(t, "<a><!-- x -->");  // only a comment at the first '<' goes
  t = "<!-- open";
  SkipComment(t);
  EXPECT_EQ(t, "");

  std::string s = "a\r\nb\nc\r";
  LineBreaksToBlanks(s);
  EXPECT_EQ(s, "a  b c ");
}

TEST(XMLHelpers, AttributeSafeText) {
  const std::pair<std::string, std::string> cases[] = {
      {"grade", "grade"},
      {"my grade", "my grade"},
      {"it's", "it_s"},
      {"a\"b<c>d&e", "a_b_c_d_e"},
      {"tab\there", "tab_here"},
      {"caf\xC3\xA9", "caf\xC3\xA9"},         // UTF-8 stays
      {"caf\xE9", "caf_"},                    // a Latin-1 byte is no UTF-8
      {"\xC3", "_"},                          // a cut sequence
      {"\xED\xA0\x80", "___"},                // a surrogate
      {"\xEF\xBF\xBF", "___"},                // U+FFFF is no XML character
      {"\xF0\x9F\x8E\xA8x", "\xF0\x9F\x8E\xA8x"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(XMLAttributeSafeText(in), out) << in;
}

}  // namespace
}  // namespace zelvo
