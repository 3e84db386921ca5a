#include "ui/markup/xml_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool LoadUtf8(CXmlReader& reader, const std::string& bytes) {
    return reader.LoadBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

std::vector<std::wstring> Tags(CXmlNode first) {
    std::vector<std::wstring> tags;
    for (CXmlNode node = first; node.IsValid(); node = node.NextSibling()) {
        tags.push_back(node.Tag());
    }
    return tags;
}

std::wstring ErrorOf(const wchar_t* text) {
    CXmlReader reader;
    if (reader.LoadText(text)) {
        return L"<loaded>";
    }
    EXPECT_FALSE(reader.RootNode().IsValid()) << "a failed load must release the document";
    return reader.ErrorText();
}

TEST(XmlReader, ByteOrderMarkIsSkippedOnlyWhenComplete) {
    CXmlReader plain;
    CXmlReader marked;
    ASSERT_TRUE(LoadUtf8(plain, "<Window size=\"1,2\"><Button/></Window>"));
    ASSERT_TRUE(LoadUtf8(marked, "\xEF\xBB\xBF<Window size=\"1,2\"><Button/></Window>"));
    EXPECT_STREQ(plain.RootNode().Tag(), marked.RootNode().Tag());
    EXPECT_STREQ(L"1,2", marked.RootNode().FindAttrValue(L"size"));
    EXPECT_STREQ(L"Button", marked.RootNode().FirstChild().Tag());

    CXmlReader shortInput;
    EXPECT_TRUE(LoadUtf8(shortInput, "\xEF\xBB\xBF"));  // only the mark: an empty document
    EXPECT_FALSE(shortInput.RootNode().IsValid());
    EXPECT_FALSE(LoadUtf8(shortInput, "\xEF\xBB"));  // too short to be a mark: decoded as text
    EXPECT_STREQ(L"Expected start tag", shortInput.ErrorText());
    EXPECT_FALSE(LoadUtf8(shortInput, "<"));
    EXPECT_STREQ(L"Error parsing element name", shortInput.ErrorText());
}

TEST(XmlReader, Utf8IsDecodedAndNonAsciiNamesAreAccepted) {
    CXmlReader reader;
    ASSERT_TRUE(LoadUtf8(reader,
                         "<\xE6\x8C\x89\xE9\x92\xAE "
                         "text=\"\xE5\x9C\xA8\xE7\xBA\xBF\xE5\x8D\x87\xE7\xBA\xA7\"/>"));
    EXPECT_STREQ(L"\x6309\x94AE", reader.RootNode().Tag());
    EXPECT_STREQ(L"\x5728\x7EBF\x5347\x7EA7", reader.RootNode().AttrValue(0));
    ASSERT_TRUE(LoadUtf8(reader, "<a v=\"\xFF\xFE\"/>"));  // ill-formed bytes become U+FFFD
    EXPECT_EQ(L'\xFFFD', reader.RootNode().AttrValue(0)[0]);
}

TEST(XmlReader, ElementsAreLinkedAsTheyNest) {
    CXmlReader reader;
    ASSERT_TRUE(reader.LoadText(L"<r>\n  <a><a1/><a2/></a>\n  <b/>\n  <c></c>\n</r><top2/>"));
    CXmlNode root = reader.RootNode();
    EXPECT_EQ((std::vector<std::wstring>{L"r", L"top2"}), Tags(root));
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"b", L"c"}), Tags(root.FirstChild()));
    EXPECT_EQ((std::vector<std::wstring>{L"a1", L"a2"}), Tags(root.FirstChild().FirstChild()));
    EXPECT_TRUE(root.HasChildren());
    EXPECT_FALSE(root.FirstChild().NextSibling().HasChildren());
    EXPECT_FALSE(CXmlNode().FirstChild().IsValid());
    EXPECT_STREQ(L"", CXmlNode().Tag());
    EXPECT_EQ(8u, reader.ElementCount());  // seven elements and the reserved record
}

TEST(XmlReader, EmptyElementForms) {
    CXmlReader reader;
    ASSERT_TRUE(reader.LoadText(L"<r><a x=\"1\"/><b/><c x=\"2\" /></r>"));
    CXmlNode a = reader.RootNode().FirstChild();
    EXPECT_STREQ(L"a", a.Tag());
    EXPECT_EQ(1, a.AttrCount());
    EXPECT_STREQ(L"1", a.FindAttrValue(L"x"));
    EXPECT_STREQ(L"", a.Value());
    CXmlNode b = a.NextSibling();
    EXPECT_STREQ(L"b", b.Tag());
    EXPECT_FALSE(b.HasAttributes());
    EXPECT_STREQ(L"2", b.NextSibling().FindAttrValue(L"x"));
}

TEST(XmlReader, UnterminatedElementsAtTheEndOfTheText) {
    CXmlReader reader;
    ASSERT_TRUE(reader.LoadText(L"<Window size=\"10,20\">"));
    EXPECT_STREQ(L"Window", reader.RootNode().Tag());
    EXPECT_STREQ(L"", reader.RootNode().Value());
    EXPECT_STREQ(L"10,20", reader.RootNode().AttrValue(0));
    EXPECT_EQ(2u, reader.ElementCount());

    ASSERT_TRUE(reader.LoadText(L"<a><b>text"));
    EXPECT_STREQ(L"b", reader.RootNode().FirstChild().Tag());
    EXPECT_STREQ(L"text", reader.RootNode().FirstChild().Value());
    EXPECT_EQ(L"Expected end-tag start", ErrorOf(L"<a><b><c>"));
    EXPECT_EQ(L"Expected start tag", ErrorOf(L"<a><b><c></c>"));
}

TEST(XmlReader, TrailingWhitespaceAndEmptyDocuments) {
    CXmlReader reader;
    EXPECT_TRUE(reader.LoadText(L"<a/>  \r\n\t "));
    EXPECT_TRUE(reader.RootNode().IsValid());
    EXPECT_TRUE(reader.LoadText(L"<a>  "));
    EXPECT_TRUE(reader.LoadText(L"<a><b>  "));
    EXPECT_TRUE(reader.LoadText(L"   "));
    EXPECT_FALSE(reader.RootNode().IsValid());
    EXPECT_TRUE(reader.LoadText(L"<!-- only a comment -->"));
    EXPECT_FALSE(reader.RootNode().IsValid());
    EXPECT_TRUE(reader.LoadText(L"<!-- unterminated comment"));
    EXPECT_TRUE(reader.LoadText(nullptr));
    EXPECT_FALSE(reader.RootNode().IsValid());
}

TEST(XmlReader, ParsingStopsAtAnEmbeddedZero) {
    CXmlReader reader;
    const char bytes[] = "<a/>\0<b x=";
    ASSERT_TRUE(reader.LoadBytes(bytes, sizeof(bytes) - 1));
    EXPECT_EQ(std::vector<std::wstring>{L"a"}, Tags(reader.RootNode()));
}

TEST(XmlReader, EndTagsMustMatch) {
    EXPECT_EQ(L"Unmatched closing tag", ErrorOf(L"<a><b></c></a>"));
    EXPECT_EQ(L"Unmatched closing tag", ErrorOf(L"<a></ab>"));
    EXPECT_EQ(L"Unmatched closing tag", ErrorOf(L"<a></a"));
    EXPECT_EQ(L"<loaded>", ErrorOf(L"<a></ a >"));
    CXmlReader reader;
    ASSERT_FALSE(reader.LoadText(L"<a><b></c></a>"));
    EXPECT_STREQ(L"c></a>", reader.ErrorContext());
}

TEST(XmlReader, EveryParseErrorHasItsText) {
    EXPECT_EQ(L"Expected start tag", ErrorOf(L"text"));
    EXPECT_EQ(L"Expected start tag", ErrorOf(L"<a><b/>text</a>"));
    EXPECT_EQ(L"Error parsing element name", ErrorOf(L"<abc"));
    EXPECT_EQ(L"Expected start-tag closing", ErrorOf(L"<a x=\"1\" / >"));
    EXPECT_EQ(L"Expected start-tag closing", ErrorOf(L"<a x=\"1\""));
    EXPECT_EQ(L"Expected start-tag closing", ErrorOf(L"<a "));
    EXPECT_EQ(L"Error while parsing attributes", ErrorOf(L"<a x>"));
    EXPECT_EQ(L"Error while parsing attributes", ErrorOf(L"<a x=\"1\"y>"));
    EXPECT_EQ(L"Expected attribute value", ErrorOf(L"<a x=1>"));
    EXPECT_EQ(L"Expected attribute value", ErrorOf(L"<a x="));
    EXPECT_EQ(L"Error while parsing attribute string", ErrorOf(L"<a x=\"abc"));
    EXPECT_EQ(L"Expected end-tag start", ErrorOf(L"<a><b><c>x"));
}

TEST(XmlReader, SingleQuotedValuesAreRefused) {
    CXmlReader reader;
    ASSERT_FALSE(reader.LoadText(L"<a x='1'/>"));
    EXPECT_STREQ(L"Expected attribute value", reader.ErrorText());
    EXPECT_STREQ(L"1'/>", reader.ErrorContext());  // the location is just after the quote
}

TEST(XmlReader, ErrorBuffersAreBoundedAndClearedByTheNextLoad) {
    CXmlReader reader;
    std::wstring text = L"<a>" + std::wstring(200, L'z');
    text += L"<b></b>";
    ASSERT_TRUE(reader.LoadText(text.c_str()));
    std::wstring bad = L"<a><b></" + std::wstring(200, L'q') + L">";
    ASSERT_FALSE(reader.LoadText(bad.c_str()));
    EXPECT_EQ(std::wstring(49, L'q'), reader.ErrorContext());
    ASSERT_TRUE(reader.LoadText(L"<ok/>"));
    EXPECT_STREQ(L"", reader.ErrorText());
    EXPECT_STREQ(L"", reader.ErrorContext());
    reader.Clear();
    EXPECT_FALSE(reader.RootNode().IsValid());
    EXPECT_TRUE(reader.LoadText(L"<again/>"));
}

TEST(XmlReader, NamedEntitiesAreDecodedAndOthersLeftAlone) {
    CXmlReader reader;
    ASSERT_TRUE(
        reader.LoadText(L"<a v=\"&amp;&lt;&gt;&quot;&apos;\" w=\"&#65;&x;&&amp;&amp\" z=\"after\">"
                        L"x &amp; y &#x41; &foo; &&lt;</a>"));
    CXmlNode a = reader.RootNode();
    EXPECT_STREQ(L"&<>\"'", a.FindAttrValue(L"v"));
    EXPECT_STREQ(L"&#65;&x;&&&amp", a.FindAttrValue(L"w"));
    EXPECT_STREQ(L"after", a.FindAttrValue(L"z"));  // the map walks over the shortened values
    EXPECT_EQ(3, a.AttrCount());
    EXPECT_STREQ(L"x & y &#x41; &foo; &<", a.Value());
}

TEST(XmlReader, ValueBeforeAChildIsCutAtTheChild) {
    CXmlReader reader;
    ASSERT_TRUE(reader.LoadText(L"<a>x&amp;y<b>inner</b></a>"));
    EXPECT_STREQ(L"x&y", reader.RootNode().Value());
    EXPECT_STREQ(L"inner", reader.RootNode().FirstChild().Value());
}

TEST(XmlReader, DeclarationsAndCommentsAreSkipped) {
    CXmlReader reader;
    ASSERT_TRUE(
        reader.LoadText(L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- skin -->\n"
                        L"<Window><!-- a <fake> tag --><Button/><?pi data?>\n<Label/></Window><!-- end -->"));
    EXPECT_STREQ(L"Window", reader.RootNode().Tag());
    EXPECT_EQ((std::vector<std::wstring>{L"Button", L"Label"}), Tags(reader.RootNode().FirstChild()));
}

TEST(XmlReader, AttributeSpacingAndOrder) {
    CXmlReader reader;
    ASSERT_TRUE(reader.LoadText(L"<a  x = \"1\"   y=\"2\"z=\"\" x=\"dup\" >v</a>"));
    CXmlNode a = reader.RootNode();
    ASSERT_EQ(4, a.AttrCount());
    EXPECT_STREQ(L"x", a.AttrName(0));
    EXPECT_STREQ(L"y", a.AttrName(1));
    EXPECT_STREQ(L"z", a.AttrName(2));
    EXPECT_STREQ(L"", a.AttrValue(2));
    EXPECT_STREQ(L"1", a.FindAttrValue(L"x"));  // the first of duplicates wins
    EXPECT_EQ(nullptr, a.FindAttrValue(L"X"));
    EXPECT_STREQ(L"v", a.Value());
    EXPECT_STREQ(L"", a.AttrName(-1));
    EXPECT_STREQ(L"", a.AttrValue(4));
}

TEST(XmlReader, OnlySixtyFourAttributesAreVisible) {
    std::wstring text = L"<a";
    for (int i = 0; i < 70; ++i) {
        text += L" n" + std::to_wstring(i) + L"=\"v" + std::to_wstring(i) + L"\"";
    }
    text += L"/>";
    CXmlReader reader;
    ASSERT_TRUE(reader.LoadText(text.c_str()));
    CXmlNode a = reader.RootNode();
    ASSERT_EQ(64, a.AttrCount());
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(L"n" + std::to_wstring(i), a.AttrName(i));
        EXPECT_EQ(L"v" + std::to_wstring(i), a.AttrValue(i));
    }
    EXPECT_STREQ(L"", a.AttrName(64));
    EXPECT_EQ(nullptr, a.FindAttrValue(L"n65"));
}

TEST(XmlReader, FindAttrCopiesAtMost499Characters) {
    std::wstring text = L"<a long=\"" + std::wstring(600, L'L') + L"\" short=\"s\"/>";
    CXmlReader reader;
    ASSERT_TRUE(reader.LoadText(text.c_str()));
    wchar_t buffer[CXmlNode::kAttrBufferSize + 8];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    ASSERT_TRUE(reader.RootNode().FindAttr(L"long", buffer));
    EXPECT_EQ(std::wstring(499, L'L'), buffer);
    EXPECT_EQ(L'#', buffer[500]);
    ASSERT_TRUE(reader.RootNode().FindAttr(L"short", buffer));
    EXPECT_STREQ(L"s", buffer);
    EXPECT_FALSE(reader.RootNode().FindAttr(L"none", buffer));
    EXPECT_STREQ(L"s", buffer);
}

TEST(XmlReader, WhitespaceRunsCollapseOnlyWhenNotPreserved) {
    CXmlReader reader;
    ASSERT_TRUE(reader.LoadText(L"<a v=\"1   2\">x  \t y</a>"));
    EXPECT_STREQ(L"1   2", reader.RootNode().AttrValue(0));
    EXPECT_STREQ(L"x  \t y", reader.RootNode().Value());
    reader.SetPreserveWhitespace(false);
    ASSERT_TRUE(reader.LoadText(L"<a v=\"1   2\" w=\"3\">x  \t y</a>"));
    EXPECT_STREQ(L"1 2", reader.RootNode().AttrValue(0));
    EXPECT_STREQ(L"3", reader.RootNode().AttrValue(1));
    EXPECT_STREQ(L"x y", reader.RootNode().Value());
}

std::wstring Nested(int depth) {
    std::wstring text;
    for (int i = 0; i < depth; ++i) {
        text += L"<e>";
    }
    for (int i = 0; i < depth; ++i) {
        text += L"</e>";
    }
    return text;
}

TEST(XmlReader, NestingIsLimitedInsteadOfExhaustingTheStack) {
    CXmlReader reader;
    EXPECT_TRUE(reader.LoadText(Nested(1000).c_str()));
    EXPECT_EQ(1001u, reader.ElementCount());
    ASSERT_FALSE(reader.LoadText(Nested(1001).c_str()));
    EXPECT_STREQ(L"Elements nested too deeply", reader.ErrorText());
    std::wstring hostile;
    for (int i = 0; i < 200000; ++i) {
        hostile += L"<e>";
    }
    EXPECT_FALSE(reader.LoadText(hostile.c_str()));
    EXPECT_STREQ(L"Elements nested too deeply", reader.ErrorText());
}

// The location is the text of the first element too deep, like any other parse error's.
TEST(XmlReader, NestingErrorLocatesTheFirstElementTooDeep) {
    std::wstring text;
    for (int i = 0; i < 1000; ++i) {
        text += L"<e>";
    }
    CXmlReader reader;
    ASSERT_FALSE(reader.LoadText((text + L"<deep name=\"too far\"/>").c_str()));
    EXPECT_STREQ(L"Elements nested too deeply", reader.ErrorText());
    EXPECT_STREQ(L"deep name=\"too far\"/>", reader.ErrorContext());
    std::string bytes;
    for (int i = 0; i < 1001; ++i) {
        bytes += "<e>";
    }
    ASSERT_FALSE(LoadUtf8(reader, bytes));
    EXPECT_STREQ(L"Elements nested too deeply", reader.ErrorText());
    EXPECT_STREQ(L"e>", reader.ErrorContext());
    // A long remainder is cut to 49 characters.
    ASSERT_FALSE(reader.LoadText((text + L"<x>" + std::wstring(100, L'y')).c_str()));
    EXPECT_EQ(L"x>" + std::wstring(47, L'y'), std::wstring(reader.ErrorContext()));
}

TEST(XmlReader, TableGrowsByHalfPlusFiveHundred) {
    struct Case {
        int elements;
        uint32_t growths;
        size_t previousCapacity;  // held next to the final table while it grew
    };
    // Record 0 is reserved, so 499 elements fill the first 500 records exactly; the table then
    // grows to 1250 and 2375 records.
    for (Case c : {Case{499, 1, 0}, Case{500, 2, 500}, Case{1249, 2, 500}, Case{1250, 3, 1250}}) {
        std::wstring text = L"<r>";
        for (int i = 1; i < c.elements; ++i) {
            text += L"<c/>";
        }
        CXmlReader reader;
        ASSERT_TRUE(reader.LoadText((text + L"</r>").c_str()));
        EXPECT_EQ(static_cast<uint32_t>(c.elements) + 1, reader.ElementCount());
        EXPECT_EQ(c.growths, reader.TableGrowthCount()) << c.elements << " elements";
        size_t previousTable = c.previousCapacity * sizeof(XmlElementRecord);
        EXPECT_EQ(reader.MemoryUsed() + previousTable, reader.PeakMemoryUsed()) << c.elements << " elements";
    }
}

}  // namespace
