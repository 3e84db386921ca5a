// The animated image: loading through GDI+, frames and delays, the frame timer, painting.

#include "ui/controls/gif_anim.h"

#include <objidl.h>

#include <gdiplus.h>
#include <stb_image.h>

#include <cstring>
#include <cwchar>
#include <new>
#include <vector>

#include "ui/util/attribute_parse.h"
#include "ui/core/skin_resource_reader.h"
#include "ui/core/window_host.h"
#include "ui/draw/gdi_painter.h"
#include "ui/draw/gdiplus_objects.h"

namespace gp = Gdiplus::DllExports;

namespace {

using Bytes = std::vector<unsigned char>;

// The skin archive or the resource folder first, then the name taken as a path. Files above
// the skin images' size limit are refused before a buffer is made for them.
bool ReadAnimationFile(const wchar_t* name, Bytes* bytes) {
    return ReadSkinResource(name, kMaxImageFileBytes, bytes) == SkinReadResult::Ok ||
           ReadSkinFileAtPath(name, kMaxImageFileBytes, bytes) == SkinReadResult::Ok;
}

bool SideWithinLimit(UINT side) {
    return side > 0 && side <= static_cast<UINT>(kMaxImageSide);
}

// As for skin images, a picture is decoded only when its header can be read and announces no
// side beyond the limit (the header reader refuses larger ones): a small file can announce an
// enormous picture. Formats only GDI+ reads (TIFF, icons, metafiles) are refused with them.
bool HeaderWithinLimits(const Bytes& bytes) {
    int width = 0, height = 0, components = 0;
    return stbi_info_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height,
                                 &components) &&
           SideWithinLimit(static_cast<UINT>(width)) && SideWithinLimit(static_cast<UINT>(height));
}

// GDI+ reads the picture from a stream over a global memory block that the stream owns; GDI+
// keeps its own reference to the stream for as long as the image needs it.
Gdiplus::GpImage* LoadImageFromBytes(const Bytes& bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_FIXED, bytes.size());
    if (block == nullptr) {
        return nullptr;
    }
    memcpy(block, bytes.data(), bytes.size());  // a GMEM_FIXED handle is the block's address
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream)) || stream == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    Gdiplus::GpImage* image = nullptr;
    if (gp::GdipLoadImageFromStream(stream, &image) != Gdiplus::Ok) {
        image = nullptr;
    }
    stream->Release();
    return image;
}

Gdiplus::GpImage* LoadAnimationImage(const wchar_t* name) {
    Bytes bytes;
    if (!ReadAnimationFile(name, &bytes) || !HeaderWithinLimits(bytes)) {
        return nullptr;
    }
    Gdiplus::GpImage* image = LoadImageFromBytes(bytes);
    UINT width = 0, height = 0;
    if (image && (gp::GdipGetImageWidth(image, &width) != Gdiplus::Ok ||
                  gp::GdipGetImageHeight(image, &height) != Gdiplus::Ok || !SideWithinLimit(width) ||
                  !SideWithinLimit(height))) {
        gp::GdipDisposeImage(image);
        image = nullptr;
    }
    return image;
}

}  // namespace

CGifAnimUI::CGifAnimUI() = default;

CGifAnimUI::~CGifAnimUI() {
    ReleaseImage();
    if (m_host) {
        m_host->StopTimer(this, kFrameTimerId);
    }
}

const wchar_t* CGifAnimUI::ClassName() const {
    return L"GifAnimUI";
}

void* CGifAnimUI::CastTo(const wchar_t* name) {
    if (name && wcscmp(name, L"GifAnim") == 0) {
        return this;
    }
    return CControlUI::CastTo(name);
}

void CGifAnimUI::SetVisible(bool on) {
    CControlUI::SetVisible(on);
    if (on) {
        Play();
    } else {
        Stop();
    }
}

void CGifAnimUI::OnInitialize() {
    PrepareAnimation();
}

void CGifAnimUI::HandleEvent(UIEvent& event) {
    // Mouse, keyboard and focus mean nothing to an animation, and are not passed on either.
    if (event.type == EventTimer && event.wParam == kFrameTimerId) {
        Advance();
    }
}

void CGifAnimUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return;
    }
    if (wcscmp(name, L"bkimage") == 0) {
        SetFileName(value);
    } else if (wcscmp(name, L"autoplay") == 0) {
        m_autoPlay = attr::ParseBool(value);
    } else if (wcscmp(name, L"autosize") == 0) {
        m_autoSize = attr::ParseBool(value);
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

void CGifAnimUI::SetFileName(const wchar_t* name) {
    if (name == nullptr || m_fileName == name) {
        return;
    }
    m_fileName = name;
    Stop();
    ReleaseImage();
    m_currentFrame = 0;
    Invalidate();
}

void CGifAnimUI::ReleaseImage() {
    if (m_image) {
        gp::GdipDisposeImage(m_image);
        m_image = nullptr;
    }
    m_delayBlock.reset();
    m_delays = FrameDelays();
    m_frameCount = 0;
    m_frameDimension = GUID{};
}

void CGifAnimUI::PrepareAnimation() {
    // A file that failed is not read again at every paint (the host remembers it).
    if (m_image == nullptr && !m_fileName.IsEmpty() && !(m_host && m_host->IsKnownUnreadable(m_fileName, true))) {
        m_image = LoadAnimationImage(m_fileName);
        if (m_image == nullptr && m_host) {
            m_host->RememberUnreadable(m_fileName, true);
        }
    }
    if (m_image == nullptr) {
        return;
    }
    ReadFrames();
    if (m_autoSize) {
        UINT width = 0, height = 0;
        gp::GdipGetImageWidth(m_image, &width);
        gp::GdipGetImageHeight(m_image, &height);
        SetFixedWidth(static_cast<int>(width));
        SetFixedHeight(static_cast<int>(height));
    }
    if (m_autoPlay) {
        Play();
    }
}

void CGifAnimUI::ReadFrames() {
    UINT dimensions = 0;
    m_frameCount = 0;
    if (gp::GdipImageGetFrameDimensionsCount(m_image, &dimensions) == Gdiplus::Ok && dimensions > 0) {
        std::unique_ptr<GUID[]> list(new (std::nothrow) GUID[dimensions]);
        UINT count = 0;
        // A GIF has one dimension, time; its frames are the animation.
        if (list && gp::GdipImageGetFrameDimensionsList(m_image, list.get(), dimensions) == Gdiplus::Ok &&
            gp::GdipImageGetFrameCount(m_image, &list[0], &count) == Gdiplus::Ok) {
            m_frameDimension = list[0];
            m_frameCount = count;
        }
    }
    UINT size = 0;
    m_delayBlock.reset();
    m_delays = FrameDelays();
    if (gp::GdipGetPropertyItemSize(m_image, PropertyTagFrameDelay, &size) != Gdiplus::Ok || size == 0 ||
        size > kMaxImageFileBytes) {
        return;  // a still image: every frame uses the default delay
    }
    m_delayBlock.reset(new (std::nothrow) unsigned char[size]);
    if (m_delayBlock && gp::GdipGetPropertyItem(
                            m_image, PropertyTagFrameDelay, size,
                            reinterpret_cast<Gdiplus::PropertyItem*>(m_delayBlock.get())) == Gdiplus::Ok) {
        m_delays = ReadFrameDelays(m_delayBlock.get(), size);
    }
}

void CGifAnimUI::Play() {
    if (m_playing || m_image == nullptr || m_host == nullptr) {
        return;
    }
    m_host->StartTimer(this, kFrameTimerId, FrameDelay(m_currentFrame));
    m_playing = true;
}

void CGifAnimUI::Stop() {
    if (!m_playing) {
        return;
    }
    if (m_host) {
        m_host->StopTimer(this, kFrameTimerId);
    }
    m_currentFrame = 0;
    Invalidate();
    m_playing = false;
}

void CGifAnimUI::Advance() {
    if (m_host == nullptr) {
        return;
    }
    m_host->StopTimer(this, kFrameTimerId);
    Invalidate();
    // An image without frames stays where it is, and its timer stays stopped.
    if (m_frameCount == 0) {
        return;
    }
    m_currentFrame = NextFrame(m_currentFrame, m_frameCount);
    m_host->StartTimer(this, kFrameTimerId, FrameDelay(m_currentFrame));
}

void CGifAnimUI::Paint(HDC dc, const RECT& dirty) {
    if (!IntersectRect(&m_paintRect, &dirty, &m_rcItem)) {
        return;
    }
    if (m_image == nullptr) {
        PrepareAnimation();
    }
    DrawFrame(dc);
}

void CGifAnimUI::DrawFrame(HDC dc) {
    if (m_image == nullptr) {
        if (m_fileName.Find(L".png") >= 0) {
            DrawImage(dc, m_fileName);
        }
        return;
    }
    CGdiplusGraphics graphics;
    if (gp::GdipCreateFromHDC(dc, graphics.Out()) != Gdiplus::Ok) {
        return;
    }
    gp::GdipDrawImageRectI(graphics.Get(), m_image, m_rcItem.left, m_rcItem.top,
                           m_rcItem.right - m_rcItem.left, m_rcItem.bottom - m_rcItem.top);
    // The frame chosen here is the one the next paint draws.
    gp::GdipImageSelectActiveFrame(m_image, &m_frameDimension, m_currentFrame);
}
