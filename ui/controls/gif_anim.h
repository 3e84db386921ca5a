#pragma once
// CGifAnimUI: an animated image. The file named by "bkimage" is loaded through GDI+ from the
// skin archive, the resource folder or as a path; its frames are stepped through with control
// timer 100, each shown for its own delay. A file that GDI+ cannot load but whose name contains
// ".png" is drawn as an ordinary image description instead.

#include <memory>

#include "ui/controls/control.h"
#include "ui/controls/gif_frames.h"

namespace Gdiplus {
class GpImage;
}

class CGifAnimUI : public CControlUI {
public:
    static constexpr UINT kFrameTimerId = 100;

    CGifAnimUI();
    ~CGifAnimUI() override;

    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
    void SetVisible(bool on) override;
    void OnInitialize() override;
    void HandleEvent(UIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void Paint(HDC dc, const RECT& dirty) override;

    const CWideString& FileName() const { return m_fileName; }
    // Stops the animation and drops the image; the new file is loaded at the next paint.
    void SetFileName(const wchar_t* name);
    void Play();
    // Back to the first frame.
    void Stop();

    bool IsLoaded() const { return m_image != nullptr; }
    bool IsPlaying() const { return m_playing; }
    uint32_t FrameCount() const { return m_frameCount; }
    uint32_t CurrentFrame() const { return m_currentFrame; }
    // How long `frame` is shown, in milliseconds.
    UINT FrameDelay(uint32_t frame) const { return FrameDelayMs(m_delays, frame); }
    bool IsAutoPlay() const { return m_autoPlay; }
    bool IsAutoSize() const { return m_autoSize; }

private:
    // Loads the file and reads its frames; auto size and auto play apply here.
    void PrepareAnimation();
    void ReadFrames();
    void Advance();
    void ReleaseImage();
    void DrawFrame(HDC dc);

    Gdiplus::GpImage* m_image = nullptr;  // owned
    uint32_t m_frameCount = 0;
    uint32_t m_currentFrame = 0;
    std::unique_ptr<unsigned char[]> m_delayBlock;  // the frame-delay property item, owned
    FrameDelays m_delays;                           // points into m_delayBlock
    GUID m_frameDimension = {};
    CWideString m_fileName;
    bool m_autoPlay = false;
    bool m_autoSize = false;
    bool m_playing = false;
};
