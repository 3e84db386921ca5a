// Deterministic mutation fuzzing of the skin reader: skins and skin archives from the corpus are
// mutated with a fixed seed and loaded. Every load must either succeed, with a node walk that stays
// inside the document, or fail with one of the reader's own error texts; never crash, hang or read
// outside its buffers.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "tests/fuzz/guarded_block.h"
#include "tests/fuzz/mutator.h"
#include "tests/support/process.h"
#include "ui/core/window_host.h"
#include "ui/markup/xml_reader.h"

namespace {

constexpr uint32_t kSeed = 20240611;
constexpr int kXmlIterations = 2000000;
constexpr int kArchiveIterations = 500000;
// Far above the largest corpus file plus what a few mutations can add.
constexpr size_t kLargestMutant = 64 * 1024;
// Deflated and stored entries, and entries whose sizes sit in zip64 records.
const char* const kArchives[] = {"skin_deflate.zip", "skin_stored.zip", "skin_zip64.zip"};

bool Inside(const CXmlReader& reader, const wchar_t* s) {
    const wchar_t* begin = reader.DocumentText();
    const wchar_t* end = begin + reader.DocumentLength();
    return s >= begin && s <= end && s + wcslen(s) <= end;
}

// Walks every element without recursion; fails on any string outside the text and on cycles.
::testing::AssertionResult WalkStaysInside(const CXmlReader& reader) {
    std::vector<CXmlNode> stack;
    if (reader.RootNode().IsValid()) {
        stack.push_back(reader.RootNode());
    }
    uint32_t visited = 0;
    while (!stack.empty()) {
        CXmlNode node = stack.back();
        stack.pop_back();
        if (++visited >= reader.ElementCount()) {
            return ::testing::AssertionFailure() << "more nodes than elements: a cycle";
        }
        if (!Inside(reader, node.Tag()) || !Inside(reader, node.Value())) {
            return ::testing::AssertionFailure() << "tag or value outside the document";
        }
        int count = node.AttrCount();
        if (count > CXmlNode::kMaxAttributes) {
            return ::testing::AssertionFailure() << count << " attributes";
        }
        for (int i = 0; i < count; ++i) {
            if (!Inside(reader, node.AttrName(i)) || !Inside(reader, node.AttrValue(i))) {
                return ::testing::AssertionFailure() << "attribute " << i << " outside the document";
            }
        }
        for (CXmlNode n : {node.NextSibling(), node.FirstChild()}) {
            if (n.IsValid()) {
                stack.push_back(n);
            }
        }
    }
    return ::testing::AssertionSuccess();
}

bool IsOneOf(const wchar_t* text, std::initializer_list<const wchar_t*> texts) {
    for (const wchar_t* known : texts) {
        if (wcscmp(text, known) == 0) {
            return true;
        }
    }
    return false;
}

// Reading a file or an archive entry fails before there is any text to point at.
bool IsReadingError(const wchar_t* text) {
    return IsOneOf(text, {L"Error opening file", L"File is empty", L"File too large", L"Could not read file",
                          L"Error opening zip file", L"Could not find ziped file", L"Could not unzip file"});
}

bool IsParsingError(const wchar_t* text) {
    return IsOneOf(text,
                   {L"Expected start tag", L"Error parsing element name", L"Expected start-tag closing",
                    L"Expected end-tag start", L"Unmatched closing tag", L"Error while parsing attributes",
                    L"Expected attribute value", L"Error while parsing attribute string",
                    L"Elements nested too deeply", L"Out of memory"});
}

std::string Narrow(const wchar_t* text) {
    std::string narrow;
    for (const wchar_t* p = text; *p != L'\0'; ++p) {
        narrow += *p < 0x80 ? static_cast<char>(*p) : '?';
    }
    return narrow;
}

::testing::AssertionResult FailedCleanly(const CXmlReader& reader) {
    const wchar_t* error = reader.ErrorText();
    if (IsReadingError(error)) {
        if (reader.ErrorContext()[0] != L'\0') {
            return ::testing::AssertionFailure()
                   << "\"" << Narrow(error) << "\" with a location: " << Narrow(reader.ErrorContext());
        }
    } else if (!IsParsingError(error)) {
        return ::testing::AssertionFailure() << "unknown error text \"" << Narrow(error) << "\"";
    }
    if (reader.RootNode().IsValid() || reader.DocumentText() != nullptr) {
        return ::testing::AssertionFailure() << "failed but kept the document";
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult LoadedCleanly(const CXmlReader& reader, bool loaded) {
    return loaded ? WalkStaysInside(reader) : FailedCleanly(reader);
}

// Every mutant is read from here, its last byte against a page that faults, so an over-read
// crashes the run instead of passing unnoticed. The window host keeps reading an archive placed
// here after a test ends, so the block lives as long as the program.
GuardedBlock& Block() {
    static GuardedBlock block(kLargestMutant);
    return block;
}

bool LoadGuardedBytes(CXmlReader& reader, const Bytes& bytes) {
    const uint8_t* placed = Block().Place(bytes);
    EXPECT_NE(nullptr, placed) << bytes.size() << " bytes do not fit the guarded block";
    return placed != nullptr && reader.LoadBytes(placed, static_cast<uint32_t>(bytes.size()));
}

// The archive name changes in between, as the host only replaces a memory archive after that.
void UseGuardedArchive(const Bytes& zip) {
    CWindowHostUI::UseSkinArchiveFile(L"");
    const uint8_t* placed = Block().Place(zip);
    ASSERT_NE(nullptr, placed) << zip.size() << " bytes do not fit the guarded block";
    CWindowHostUI::UseSkinArchiveMemory(placed, static_cast<unsigned>(zip.size()));
}

TEST(Fuzz, PlacedBytesEndAgainstAPageThatFaults) {
    ASSERT_TRUE(Block().IsReady());
    Bytes bytes = {'<', 'a', '/', '>'};
    const uint8_t* placed = Block().Place(bytes);
    ASSERT_EQ(Block().Guard() - bytes.size(), placed);
    EXPECT_EQ(0, memcmp(placed, bytes.data(), bytes.size()));
    EXPECT_FALSE(IsBadReadPtr(placed, bytes.size()));
    EXPECT_TRUE(IsBadReadPtr(placed, bytes.size() + 1));
    EXPECT_EQ(nullptr, Block().Place(Bytes(kLargestMutant + 1)));
}

TEST(Fuzz, CorpusLoadsUnmutated) {
    for (const char* file : {"downdlg.xml", "features.xml", "unterminated.xml"}) {
        Bytes bytes = ReadCorpus(file);
        CXmlReader reader;
        EXPECT_TRUE(LoadGuardedBytes(reader, bytes)) << file << " fails to load";
        EXPECT_TRUE(WalkStaysInside(reader)) << file;
    }
    for (const char* file : kArchives) {
        UseGuardedArchive(ReadCorpus(file));
        CXmlReader reader;
        EXPECT_TRUE(reader.LoadSkinFile(L"downdlg.xml")) << file;
        EXPECT_STREQ(L"Window", reader.RootNode().Tag());
    }
}

TEST(Fuzz, MutatedSkinsLoadOrFailCleanly) {
    std::vector<Bytes> corpus = {ReadCorpus("downdlg.xml"), ReadCorpus("features.xml"),
                                 ReadCorpus("unterminated.xml")};
    Mutator mutator(kSeed);
    int loaded = 0;
    for (int i = 0; i < kXmlIterations; ++i) {
        Bytes mutant = mutator.Mutate(corpus[i % corpus.size()]);
        CXmlReader reader;
        bool ok = LoadGuardedBytes(reader, mutant);
        loaded += ok ? 1 : 0;
        ASSERT_TRUE(LoadedCleanly(reader, ok)) << "iteration " << i;
    }
    std::printf("skins: %d of %d mutants loaded\n", loaded, kXmlIterations);
    // Both outcomes must be exercised, or the mutations are too weak or too destructive.
    EXPECT_GT(loaded, kXmlIterations / 20);
    EXPECT_LT(loaded, kXmlIterations - kXmlIterations / 20);
}

TEST(Fuzz, MutatedArchivesLoadOrFailCleanly) {
    std::vector<Bytes> corpus;
    for (const char* file : kArchives) {
        corpus.push_back(ReadCorpus(file));
    }
    Mutator mutator(kSeed + 1);
    int loaded = 0;
    for (int i = 0; i < kArchiveIterations; ++i) {
        Bytes mutant = mutator.Mutate(corpus[i % corpus.size()]);
        UseGuardedArchive(mutant);
        CXmlReader reader;
        bool ok = reader.LoadSkinFile(i % 2 == 0 ? L"downdlg.xml" : L"features.xml");
        loaded += ok ? 1 : 0;
        ASSERT_TRUE(LoadedCleanly(reader, ok)) << "iteration " << i;
    }
    std::printf("archives: %d of %d mutants loaded\n", loaded, kArchiveIterations);
    EXPECT_GT(loaded, 0);
    EXPECT_LT(loaded, kArchiveIterations);
}

}  // namespace
