// Deterministic mutation fuzzing of the skin builder: the updater's skin and a skin that uses
// every element and attribute of this build are mutated, built into a host bound to a real
// window, laid out at the window's size and painted. Nothing may crash, hang or read outside the
// mutant's bytes, and whatever was built must be a sound tree.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <random>
#include <string>

#include "tests/controls/test_window.h"
#include "tests/fuzz/guarded_block.h"
#include "tests/fuzz/mutator.h"
#include "tests/support/updater_skin.h"
#include "ui/controls/container.h"
#include "ui/markup/skin_builder.h"

namespace {

constexpr uint32_t kBuilderSeed = 20261207;
constexpr int kBuilderIterations = 3000;
constexpr size_t kLargestSkin = 64 * 1024;

// Mutations that keep the markup well-formed, so the builder sees nonsense rather than the reader:
// attribute values, attribute names and the names of empty elements are replaced by picks from
// the vocabulary of bad input.
class SkinMutator {
public:
    explicit SkinMutator(uint32_t seed) : m_random(seed) {}

    Bytes Mutate(Bytes data) {
        std::string text(data.begin(), data.end());
        int rounds = 1 + Below(3);
        for (int i = 0; i < rounds; ++i) {
            switch (Below(3)) {
                case 0: ReplaceValue(text); break;
                case 1: ReplaceAttributeName(text); break;
                default: ReplaceEmptyElementName(text); break;
            }
        }
        return Bytes(text.begin(), text.end());
    }

private:
    int Below(size_t n) { return n == 0 ? 0 : static_cast<int>(m_random() % n); }

    template <size_t N>
    const char* Pick(const char* const (&choices)[N]) {
        return choices[Below(N)];
    }

    // The position of a random occurrence of `what`, or npos.
    size_t RandomFind(const std::string& text, const char* what) {
        size_t at = text.find(what, Below(text.size()));
        return at != std::string::npos ? at : text.find(what);
    }

    void ReplaceValue(std::string& text) {
        static const char* const kValues[] = {
            "",
            "-5",
            "0",
            "99999999999",
            "-2147483648",
            "abc",
            "#",
            "#FFFFFFFFFFFF",
            "1,2",
            ",,,,",
            "true",
            "1,2,3,4,5,6",
            "-100,-100,-1,-1",
            "file='x.png' source='0,0,-1,-1' corner='-9,99999,0,0'",
            "&lt;Window&gt;&lt;Include source=&quot;self&quot; count=&quot;99&quot;/&gt;&lt;/Window&gt;"};
        size_t at = RandomFind(text, "=\"");
        size_t end = at == std::string::npos ? at : text.find('"', at + 2);
        if (end != std::string::npos) {
            text.replace(at + 2, end - at - 2, Pick(kValues));
        }
    }

    void ReplaceAttributeName(std::string& text) {
        static const char* const kNames[] = {"count",     "source",  "width",        "height",  "pos",
                                             "float",     "inset",   "name",         "size",    "default",
                                             "restype",   "value",   "childpadding", "padding", "maxwidth",
                                             "minheight", "visible", "bkcolor"};
        size_t at = RandomFind(text, "=\"");
        size_t start = at == std::string::npos ? at : text.find_last_of(" \t\r\n", at);
        if (start != std::string::npos) {
            text.replace(start + 1, at - start - 1, Pick(kNames));
        }
    }

    void ReplaceEmptyElementName(std::string& text) {
        static const char* const kElements[] = {"Control",  "Container", "VerticalLayout", "HorizontalLayout",
                                                "Include",  "Font",      "Image",          "Default",
                                                "TreeNode", "Window",    "Text",           "Unknown"};
        size_t at = RandomFind(text, "<");
        if (at == std::string::npos || !isalpha(static_cast<unsigned char>(text[at + 1]))) {
            return;
        }
        size_t nameEnd = text.find_first_of(" />", at + 1);
        size_t close = text.find('>', at);
        if (nameEnd != std::string::npos && close != std::string::npos && text[close - 1] == '/') {
            text.replace(at + 1, nameEnd - at - 1, Pick(kElements));
        }
    }

    std::mt19937 m_random;
};

// Stands in for the controls this build does not have, so their subtrees are built too.
class StandInCallback : public IDialogBuilderCallback {
public:
    CControlUI* CreateCustomControl(const wchar_t* className) override {
        return className[0] == L'T' ? new CContainerUI : new CControlUI;
    }
};

// Every child must point back at its parent once the host has installed the tree.
bool ParentsAreSound(CControlUI* control) {
    auto* container = static_cast<IContainerUI*>(control->CastTo(L"IContainer"));
    for (int i = 0; container && i < container->Count(); ++i) {
        CControlUI* child = container->ItemAt(i);
        if (child->ParentControl() != control || !ParentsAreSound(child)) {
            return false;
        }
    }
    return true;
}

Bytes Utf8(const wchar_t* text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(size > 0 ? size - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), size, nullptr, nullptr);
    return Bytes(bytes.begin(), bytes.end());
}

struct Outcome {
    bool built = false;
    bool sound = true;
};

Outcome BuildLayOutAndPaint(const Bytes& skin, GuardedBlock& block, HWND window, TestCanvas& canvas) {
    Outcome outcome;
    const uint8_t* placed = block.Place(skin);
    if (!placed) {
        ADD_FAILURE() << skin.size() << " bytes do not fit the guarded block";
        return outcome;
    }
    CSkinBuilder builder;
    if (!builder.Document().LoadBytes(placed, static_cast<uint32_t>(skin.size()))) {
        return outcome;  // the reader's own fuzzing covers this
    }
    CWindowHostUI host;
    host.AttachWindow(window);
    StandInCallback callback;
    CControlUI* root = builder.BuildLoaded(&callback, &host);
    if (!root) {
        return outcome;
    }
    outcome.built = true;
    host.AttachRoot(root);
    outcome.sound = ParentsAreSound(root);
    RECT client;
    GetClientRect(window, &client);
    root->SetPos(client);
    root->Paint(canvas.DC(), client);
    return outcome;
}

TEST(BuilderFuzz, MutatedSkinsBuildLayOutAndPaint) {
    // Includes are read as loose files from the corpus folder.
    std::wstring folder = CorpusPath("");
    CWindowHostUI::UseSkinArchiveFile(L"");
    CWindowHostUI::SetResourceFolder(folder.c_str());
    static GuardedBlock block(kLargestSkin);
    ASSERT_TRUE(block.IsReady());
    TestWindow window(640, 480);
    TestCanvas canvas(1280, 960);

    std::vector<Bytes> corpus = {Utf8(kUpdaterSkin), ReadCorpus("everything_skin.xml")};
    for (const Bytes& skin : corpus) {
        ASSERT_TRUE(BuildLayOutAndPaint(skin, block, window.Handle(), canvas).built);
    }
    Mutator bytes(kBuilderSeed);
    SkinMutator markup(kBuilderSeed + 1);
    int built = 0;
    for (int i = 0; i < kBuilderIterations; ++i) {
        const Bytes& skin = corpus[i % corpus.size()];
        Bytes mutant = (i / 2) % 4 == 0 ? bytes.Mutate(skin) : markup.Mutate(skin);
        Outcome outcome = BuildLayOutAndPaint(mutant, block, window.Handle(), canvas);
        built += outcome.built ? 1 : 0;
        ASSERT_TRUE(outcome.sound) << "iteration " << i;
    }
    std::printf("builder: %d of %d mutants built a tree\n", built, kBuilderIterations);
    EXPECT_GT(built, kBuilderIterations / 2);
    EXPECT_LT(built, kBuilderIterations);
    CWindowHostUI::SetResourceFolder(L"");
}

// Every size, limit, padding and inset near INT_MAX: the layouts add such numbers up, and the
// sums must saturate rather than wrap. With only non-negative numbers and the root at the
// origin, no control may end up at a negative coordinate.
TEST(BuilderFuzz, HugeSkinNumbersNeverWrapThePlacement) {
    static const char* const kNumbers[] = {"0", "7", "1073741824", "2147483646", "2147483647", "99999999999"};
    static const char* const kSizes[] = {"width", "height", "minwidth", "minheight", "maxwidth", "maxheight"};
    std::mt19937 random(kBuilderSeed);
    auto number = [&] { return std::string(kNumbers[random() % 6]); };
    auto attributes = [&] {
        std::string text;
        for (const char* size : kSizes) {
            if (random() % 2) text += std::string(" ") + size + "=\"" + number() + "\"";
        }
        text += " padding=\"" + number() + "," + number() + "," + number() + "," + number() + "\"";
        text += " inset=\"" + number() + "," + number() + "," + number() + "," + number() + "\"";
        text += " childpadding=\"" + number() + "\"";
        if (random() % 4 == 0) text += " float=\"true\" pos=\"" + number() + "," + number() + ",0,0\"";
        return text;
    };
    for (int round = 0; round < 200; ++round) {
        std::string markup = "<Window><HorizontalLayout" + attributes() + "><VerticalLayout" + attributes() + ">";
        for (int i = 0; i < 3; ++i) markup += "<Control" + attributes() + "/>";
        markup += "</VerticalLayout>";
        for (int i = 0; i < 3; ++i) markup += "<Control" + attributes() + "/>";
        markup += "</HorizontalLayout></Window>";
        std::wstring wide(markup.begin(), markup.end());
        CControlUI* root = CSkinBuilder().Build(wide.c_str(), nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, root) << markup;
        root->SetPos(RECT{0, 0, 300, 200});
        std::vector<CControlUI*> pending = {root};
        while (!pending.empty()) {
            CControlUI* control = pending.back();
            pending.pop_back();
            const RECT& rc = control->Pos();
            EXPECT_TRUE(rc.left >= 0 && rc.top >= 0 && rc.right >= 0 && rc.bottom >= 0)
                << markup << " -> " << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom;
            auto* container = static_cast<IContainerUI*>(control->CastTo(L"IContainer"));
            for (int i = 0; container && i < container->Count(); ++i) pending.push_back(container->ItemAt(i));
        }
        delete root;
    }
}

}  // namespace
