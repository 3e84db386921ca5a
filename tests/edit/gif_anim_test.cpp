#include "ui/controls/gif_anim.h"

#include <objidl.h>

#include <gdiplus.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "tests/edit/edit_rig.h"

namespace {

// A 2 x 2 GIF89a: a red frame shown for 25 hundredths of a second, then a blue one with delay
// 0. The LZW data sends a clear code before every pixel, so every code stays three bits wide.
const std::vector<uint8_t> kTwoFrames = {'G',  'I',  'F', '8', '9', 'a',  2, 0,    2,    0,    0x80, 0, 0,
                                         0xFF, 0,    0,   0,   0,   0xFF,  //
                                         0x21, 0xF9, 4,   0,   25,  0,    0, 0,    0x2C, 0,    0,    0, 0,
                                         2,    0,    2,   0,   0,   2,    4, 0x04, 0x41, 0x10, 5,    0,  //
                                         0x21, 0xF9, 4,   0,   0,   0,    0, 0,    0x2C, 0,    0,    0, 0,
                                         2,    0,    2,   0,   0,   2,    4, 0x0C, 0xC3, 0x30, 5,    0,  //
                                         0x3B};

std::wstring WriteTempFile(const std::vector<uint8_t>& bytes) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    std::string path = std::string(folder) + "editgif_anim.gif";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return std::wstring(path.begin(), path.end());
}

CGifAnimUI* InstallAnimation(const std::wstring& path) {
    InstallSkin(L"<GifAnim name=\"anim\" autoplay=\"true\" autosize=\"true\" bkimage=\"" + path + L"\"/>");
    auto* anim = Find<CGifAnimUI>(L"anim", L"GifAnim");
    if (anim) {
        anim->SetPos(RECT{0, 0, 40, 40});
    }
    return anim;
}

// The native id of the frame timer, taken from its first real tick (which is dispatched).
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

}  // namespace

TEST(GifAnimTest, TwoFramesCycleWithTheirOwnDelays) {
    const std::wstring path = WriteTempFile(kTwoFrames);
    CGifAnimUI* anim = InstallAnimation(path);
    ASSERT_NE(nullptr, anim);
    ASSERT_TRUE(anim->IsPlaying());
    EXPECT_EQ(2u, anim->FrameCount());
    EXPECT_EQ((std::vector<int>{2, 2}), (std::vector<int>{anim->FixedWidth(), anim->FixedHeight()}));
    EXPECT_EQ((std::vector<UINT>{250, 100}), (std::vector<UINT>{anim->FrameDelay(0), anim->FrameDelay(1)}));

    UINT_PTR timer = FirstTick();
    ASSERT_NE(0u, timer);
    std::vector<uint32_t> frames = {anim->CurrentFrame()};
    std::vector<DWORD> colours;
    for (int i = 0; i < 3; ++i) {
        PaintPixels(*anim);  // a paint draws the frame that the paint before it selected
        colours.push_back(PaintPixels(*anim)[20 * 40 + 20]);
        SendToWindow(WM_TIMER, timer);
        frames.push_back(anim->CurrentFrame());
    }
    EXPECT_EQ((std::vector<uint32_t>{1, 0, 1, 0}), frames);
    EXPECT_EQ((std::vector<DWORD>{0x0000FF, 0xFF0000, 0x0000FF}), colours);

    anim->SetVisible(false);  // hiding stops and rewinds; showing plays again
    EXPECT_EQ(0u, anim->CurrentFrame());
    EXPECT_FALSE(anim->IsPlaying());
    anim->SetVisible(true);
    EXPECT_TRUE(anim->IsPlaying());
    InstallSkin(L"");
    DeleteFileW(path.c_str());
}

TEST(GifAnimTest, FilesThatCannotBeAnimatedLoadNothingAndNeverAdvance) {
    std::vector<uint8_t> wide = kTwoFrames;
    wide[6] = 0x28, wide[7] = 0x23;  // 9000 pixels wide, beyond the skin images' limit
    const std::vector<uint8_t> cases[] = {
        wide, std::vector<uint8_t>(kTwoFrames.begin(), kTwoFrames.begin() + 10), {}};
    for (const std::vector<uint8_t>& bytes : cases) {
        const std::wstring path = WriteTempFile(bytes);
        CGifAnimUI* anim = InstallAnimation(path);
        ASSERT_NE(nullptr, anim);
        PaintPixels(*anim);  // a paint tries to load once more
        UIEvent tick;
        tick.type = EventTimer;
        tick.wParam = CGifAnimUI::kFrameTimerId;
        anim->HandleEvent(tick);
        EXPECT_FALSE(anim->IsLoaded() || anim->IsPlaying()) << bytes.size();
        EXPECT_EQ(0u, anim->CurrentFrame()) << bytes.size();
        DeleteFileW(path.c_str());
    }
    InstallSkin(L"");
}

TEST(GifFramesTest, DelaysAreReadOnlyFromInsideTheirBlock) {
    struct Block {
        Gdiplus::PropertyItem item;
        uint32_t values[3];
    } block = {{PropertyTagFrameDelay, 8, PropertyTagTypeLong, nullptr}, {25, 0, 0xFFFFFFFF}};
    block.item.value = block.values;
    const FrameDelays two = ReadFrameDelays(&block, sizeof(block));
    // Frames 1 (delay 0) and 2 (no entry) take the default; the third value is not the block's.
    EXPECT_EQ((std::vector<UINT>{250, 100, 100}),
              (std::vector<UINT>{FrameDelayMs(two, 0), FrameDelayMs(two, 1), FrameDelayMs(two, 2)}));
    block.values[0] = 0xFFFFFFFF;
    EXPECT_EQ(UINT{USER_TIMER_MAXIMUM}, FrameDelayMs(two, 0));

    uint32_t elsewhere[2] = {10, 10};
    const struct {
        void* value;
        ULONG length;
        size_t blockSize;
    } broken[] = {{elsewhere, 8, sizeof(block)},
                  {block.values, 13, sizeof(block)},
                  {block.values, 8, sizeof(Gdiplus::PropertyItem) - 1}};
    for (const auto& b : broken) {
        block.item.value = b.value;
        block.item.length = b.length;
        EXPECT_EQ(0u, ReadFrameDelays(&block, b.blockSize).count);
    }
    // An image without frames never advances.
    EXPECT_EQ((std::vector<uint32_t>{1, 0, 5}),
              (std::vector<uint32_t>{NextFrame(0, 2), NextFrame(1, 2), NextFrame(5, 0)}));
}
