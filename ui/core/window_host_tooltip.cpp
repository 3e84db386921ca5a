// CWindowHostUI: the tooltip shown when the mouse rests on a control. One tooltip window per
// host, made on first use, with a single tool covering the host's window whose text and
// rectangle follow the hovered control.

#include "ui/controls/control.h"
#include "ui/core/window_host.h"

namespace {

// Hover time before any tooltip window exists to ask.
constexpr DWORD kDefaultHoverTime = 400;

}  // namespace

bool CWindowHostUI::ShowToolTip(CControlUI* control) {
    if (!m_window || !control) {
        return false;
    }
    // The tool keeps a pointer to the text, so the host keeps the text.
    m_toolTipText = control->ToolTip();
    if (m_toolTipText.IsEmpty()) {
        return false;
    }
    m_toolInfo = TOOLINFOW{};
    m_toolInfo.cbSize = sizeof(TOOLINFOW);
    m_toolInfo.uFlags = TTF_IDISHWND;
    m_toolInfo.hwnd = m_window;
    m_toolInfo.uId = reinterpret_cast<UINT_PTR>(m_window);
    m_toolInfo.hinst = ModuleInstance();
    m_toolInfo.lpszText = const_cast<wchar_t*>(m_toolTipText.GetData());
    m_toolInfo.rect = control->Pos();
    if (!m_toolTip.Get()) {
        m_toolTip.Reset(CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_window,
                                        nullptr, ModuleInstance(), nullptr));
        if (!m_toolTip.Get()) {
            return false;
        }
        SendMessageW(m_toolTip.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&m_toolInfo));
    }
    HWND tip = m_toolTip.Get();
    SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, control->ToolTipWidth());
    SendMessageW(tip, TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&m_toolInfo));
    SendMessageW(tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&m_toolInfo));
    return true;
}

void CWindowHostUI::HideToolTip() {
    if (m_toolTip.Get()) {
        SendMessageW(m_toolTip.Get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&m_toolInfo));
    }
}

DWORD CWindowHostUI::ToolTipHoverTime() const {
    if (!m_toolTip.Get()) {
        return kDefaultHoverTime;
    }
    return static_cast<DWORD>(SendMessageW(m_toolTip.Get(), TTM_GETDELAYTIME, TTDT_INITIAL, 0));
}
