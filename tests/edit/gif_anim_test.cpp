#include "ui/controls/gif_anim.h"

#include <objidl.h>

#include <gdiplus.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "tests/edit/edit_rig.h"

namespace {

struct Frame {
    uint8_t colorIndex;        // every pixel of the frame
    uint16_t delayHundredths;  // the frame's graphic control delay
};

void PutWord(std::vector<uint8_t>& out, unsigned value) {
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

// LZW data that never grows the code table: a clear code before every pixel keeps every code
// at three bits (minimum code size 2: clear is 4, end is 5).
std::vector<uint8_t> UncompressedLzw(uint8_t index, int pixels) {
    std::vector<unsigned> codes;
    for (int i = 0; i < pixels; ++i) {
        codes.push_back(4);
        codes.push_back(index);
    }
    codes.push_back(5);
    std::vector<uint8_t> bytes;
    unsigned bits = 0, count = 0;
    for (unsigned code : codes) {
        bits |= code << count;
        count += 3;
        while (count >= 8) {
            bytes.push_back(static_cast<uint8_t>(bits & 0xFF));
            bits >>= 8;
            count -= 8;
        }
    }
    if (count > 0) {
        bytes.push_back(static_cast<uint8_t>(bits));
    }
    return bytes;
}

// A GIF89a of `width` x `height` with one graphic control extension and one image per frame;
// the palette is red (0) and blue (1).
std::vector<uint8_t> MakeGif(int width, int height, const std::vector<Frame>& frames) {
    std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    PutWord(out, width);
    PutWord(out, height);
    out.insert(out.end(), {0x80, 0, 0, 0xFF, 0, 0, 0, 0, 0xFF});
    for (const Frame& frame : frames) {
        out.insert(out.end(), {0x21, 0xF9, 4, 0});
        PutWord(out, frame.delayHundredths);
        out.insert(out.end(), {0, 0, 0x2C, 0, 0, 0, 0});
        PutWord(out, width);
        PutWord(out, height);
        out.insert(out.end(), {0, 2});
        std::vector<uint8_t> data = UncompressedLzw(frame.colorIndex, width * height);
        for (size_t at = 0; at < data.size(); at += 255) {
            size_t length = std::min<size_t>(255, data.size() - at);
            out.push_back(static_cast<uint8_t>(length));
            out.insert(out.end(), data.begin() + at, data.begin() + at + length);
        }
        out.push_back(0);
    }
    out.push_back(0x3B);
    return out;
}

std::wstring WriteTempFile(const wchar_t* name, const std::vector<uint8_t>& bytes) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::wstring path = std::wstring(folder) + name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return path;
}

// Finds the native id of the control's frame timer from its first real tick, which is
// dispatched like any other.
UINT_PTR FirstTick() {
    MSG msg = {};
    for (int i = 0; i < 300; ++i) {
        if (PeekMessageW(&msg, SharedWindow().Handle(), WM_TIMER, WM_TIMER, PM_REMOVE)) {
            DispatchMessageW(&msg);
            return msg.wParam;
        }
        Sleep(10);
    }
    return 0;
}

DWORD CentrePixel(CControlUI& control) {
    TestCanvas canvas(320, 200);
    control.Paint(canvas.DC(), control.Pos());
    const RECT& rc = control.Pos();
    return canvas.Pixel((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
}

constexpr DWORD kRed = 0xFF0000, kBlue = 0x0000FF;

}  // namespace

TEST(GifAnimTest, TwoFramesCycleWithTheirOwnDelays) {
    // 25 hundredths, and 0, which means the default.
    std::wstring path = WriteTempFile(L"editgif_two_frames.gif", MakeGif(2, 2, {{0, 25}, {1, 0}}));
    InstallSkin(L"<GifAnim name=\"anim\" autoplay=\"true\" autosize=\"true\" bkimage=\"" + path + L"\"/>");
    auto* anim = Find<CGifAnimUI>(L"anim", L"GifAnim");
    ASSERT_NE(nullptr, anim);
    ASSERT_TRUE(anim->IsLoaded());
    EXPECT_EQ(2u, anim->FrameCount());
    EXPECT_EQ(2, anim->FixedWidth());
    EXPECT_EQ(2, anim->FixedHeight());
    EXPECT_EQ(250u, anim->FrameDelay(0));
    EXPECT_EQ(100u, anim->FrameDelay(1));
    ASSERT_TRUE(anim->IsPlaying());
    anim->SetPos(RECT{0, 0, 40, 40});

    UINT_PTR timer = FirstTick();
    ASSERT_NE(0u, timer);
    std::vector<uint32_t> frames = {anim->CurrentFrame()};
    std::vector<DWORD> colours;
    for (int i = 0; i < 3; ++i) {
        // A paint draws the frame the previous paint selected.
        CentrePixel(*anim);
        colours.push_back(CentrePixel(*anim));
        SendToWindow(WM_TIMER, timer);
        frames.push_back(anim->CurrentFrame());
    }
    EXPECT_EQ((std::vector<uint32_t>{1, 0, 1, 0}), frames);
    EXPECT_EQ((std::vector<DWORD>{kBlue, kRed, kBlue}), colours);

    anim->SetVisible(false);
    EXPECT_FALSE(anim->IsPlaying());
    EXPECT_EQ(0u, anim->CurrentFrame());
    anim->SetVisible(true);
    EXPECT_TRUE(anim->IsPlaying());
    anim->Stop();
    DeleteFileW(path.c_str());
}

TEST(GifAnimTest, FilesThatCannotBeAnimatedLoadNothingAndNeverAdvance) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<uint8_t> cut = MakeGif(2, 2, {{0, 10}});
    cut.resize(10);
    const Case cases[] = {
        {"wider than the image limit", MakeGif(9000, 1, {{0, 10}})},
        {"cut after the header", cut},
        {"empty", {}},
    };
    for (const Case& c : cases) {
        std::wstring path = WriteTempFile(L"editgif_bad.gif", c.bytes);
        InstallSkin(L"<GifAnim name=\"anim\" autoplay=\"true\" bkimage=\"" + path + L"\"/>");
        auto* anim = Find<CGifAnimUI>(L"anim", L"GifAnim");
        ASSERT_NE(nullptr, anim);
        anim->SetPos(RECT{0, 0, 40, 40});
        CentrePixel(*anim);  // a paint tries to load again
        EXPECT_FALSE(anim->IsLoaded()) << c.what;
        EXPECT_FALSE(anim->IsPlaying()) << c.what;
        UIEvent tick;
        tick.type = EventTimer;
        tick.wParam = CGifAnimUI::kFrameTimerId;
        anim->HandleEvent(tick);
        EXPECT_EQ(0u, anim->CurrentFrame()) << c.what;
        DeleteFileW(path.c_str());
    }
    InstallSkin(L"");
}

TEST(GifFramesTest, DelaysComeFromTheirOwnBlockOnly) {
    // A property item followed by its values, as GDI+ hands it out.
    struct Block {
        Gdiplus::PropertyItem item;
        uint32_t values[3];
    };
    Block block = {{PropertyTagFrameDelay, sizeof(uint32_t) * 2, PropertyTagTypeLong, nullptr}, {25, 0, 7}};
    block.item.value = block.values;
    const FrameDelays two = ReadFrameDelays(&block, sizeof(block));
    ASSERT_EQ(2u, two.count);
    // frame -> milliseconds: its own delay, 0 and a missing entry give the default.
    const uint32_t expected[][2] = {{0, 250}, {1, 100}, {2, 100}, {7, 100}};
    for (const auto& e : expected) {
        EXPECT_EQ(e[1], FrameDelayMs(two, e[0])) << e[0];
    }
    block.values[0] = 0xFFFFFFFF;  // far beyond what a timer can wait
    EXPECT_EQ(UINT{USER_TIMER_MAXIMUM}, FrameDelayMs(two, 0));

    // Blocks whose values would be read outside them give no delays.
    uint32_t outside[2] = {10, 10};
    const struct {
        void* value;
        ULONG length;
        size_t blockSize;
    } broken[] = {
        {outside, 8, sizeof(block)},                           // values elsewhere
        {block.values, 13, sizeof(block)},                     // longer than the block
        {block.values, 8, sizeof(Gdiplus::PropertyItem) - 1},  // no room for the item itself
    };
    for (const auto& b : broken) {
        block.item.value = b.value;
        block.item.length = b.length;
        EXPECT_EQ(0u, ReadFrameDelays(&block, b.blockSize).count);
    }
    EXPECT_EQ(0u, ReadFrameDelays(nullptr, 64).count);
}

TEST(GifFramesTest, FramesWrapAndAnImageWithoutFramesStays) {
    const uint32_t cases[][3] = {{0, 2, 1}, {1, 2, 0}, {0, 1, 0}, {0, 0, 0}, {5, 0, 5}};
    for (const auto& c : cases) {
        EXPECT_EQ(c[2], NextFrame(c[0], c[1])) << c[0] << " of " << c[1];
    }
}
