// CWindowHostUI: the stage of the message loop that sees every queued message before it is
// translated and dispatched: shortcut translators, pre-filters, Tab navigation, system keys and
// Alt shortcuts.

#include <cwchar>
#include <cwctype>

#include "ui/controls/control.h"
#include "ui/core/window_host.h"

namespace {

struct ShortcutSearch {
    wchar_t key;  // upper case
    bool pickNext;
};

// A label carrying the shortcut passes it on to the next control in search order that can
// take the focus, normally the one the label stands before.
CControlUI* ShortcutVisitor(CControlUI* control, void* data) {
    auto* search = static_cast<ShortcutSearch*>(data);
    if (!control->IsVisible()) {
        return nullptr;
    }
    if (static_cast<wchar_t>(towupper(control->Shortcut())) == search->key) {
        search->pickNext = true;
    }
    if (wcsstr(control->ClassName(), L"LabelUI")) {
        return nullptr;
    }
    return search->pickNext ? control : nullptr;
}

constexpr UINT kShortcutSearchFlags = FindEnabled | FindTopFirst | FindMeFirst;

bool IsChildWindow(HWND window) {
    return (GetWindowLongW(window, GWL_STYLE) & WS_CHILD) != 0;
}

}  // namespace

bool CWindowHostUI::OfferToFilters(const PointerArray& filters, UINT message, WPARAM wParam, LPARAM lParam,
                                   LRESULT& result) {
    DeliveryGuard guard(this);
    // A filter may add or remove filters: the list is walked as it was, skipping removed ones.
    PointerArray snapshot(filters);
    for (int i = 0; i < snapshot.GetSize(); ++i) {
        auto* filter = static_cast<IMessageFilterUI*>(snapshot.GetAt(i));
        if (filters.Find(filter) < 0) {
            continue;
        }
        bool handled = false;
        LRESULT filtered = filter->FilterMessage(message, wParam, lParam, handled);
        if (handled) {
            result = filtered;
            return true;
        }
        if (!guard.HostAlive()) {
            return true;  // the filter closed the window: nothing is left to handle the message
        }
    }
    return false;
}

bool CWindowHostUI::AddPreFilter(IMessageFilterUI* filter) {
    return m_preFilters.Add(filter);
}

bool CWindowHostUI::RemovePreFilter(IMessageFilterUI* filter) {
    return m_preFilters.RemoveValue(filter);
}

bool CWindowHostUI::AddShortcutTranslator(ITranslateAccelerator* translator) {
    return m_translators.Add(translator);
}

bool CWindowHostUI::RemoveShortcutTranslator(ITranslateAccelerator* translator) {
    return m_translators.RemoveValue(translator);
}

CControlUI* CWindowHostUI::FindShortcutTarget(wchar_t key) const {
    if (!m_root) {
        return nullptr;
    }
    ShortcutSearch search = {static_cast<wchar_t>(towupper(key)), false};
    return m_root->FindControl(ShortcutVisitor, &search, kShortcutSearchFlags);
}

bool CWindowHostUI::PreTranslate(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT ignored = 0;
    if (OfferToFilters(m_preFilters, message, wParam, lParam, ignored)) {
        return true;
    }
    switch (message) {
        case WM_KEYDOWN:
            if (wParam != VK_TAB) {
                return false;
            }
            TabToNext(GetKeyState(VK_SHIFT) >= 0);
            return true;
        case WM_SYSKEYDOWN:
            if (m_focus) {
                UIEvent event = MakeEvent(EventSysKey, nullptr, m_lastMousePoint);
                event.key = static_cast<wchar_t>(wParam);
                event.keyState = CurrentKeyState();
                Deliver(m_focus, event);
            }
            return false;
        case WM_SYSCHAR: {
            CControlUI* target = FindShortcutTarget(static_cast<wchar_t>(wParam));
            if (!target) {
                return false;
            }
            DeliveryGuard guard(this, target);
            target->SetFocus();
            if (guard.Control()) {
                target->Activate();
            }
            return true;
        }
        default: return false;
    }
}

bool CWindowHostUI::RunTranslators(MSG* msg) {
    DeliveryGuard guard(this);
    PointerArray snapshot(m_translators);
    for (int i = 0; i < snapshot.GetSize(); ++i) {
        auto* translator = static_cast<ITranslateAccelerator*>(snapshot.GetAt(i));
        if (m_translators.Find(translator) < 0) {
            continue;
        }
        if (translator->TranslateShortcut(msg) == 0 || !guard.HostAlive()) {
            return true;
        }
    }
    return false;
}

// Hosts may die while the message is offered to them (a shortcut may close a window), so the
// list is walked as it was and a host is used only while it is still listed.
bool CWindowHostUI::FilterQueuedMessage(MSG* msg) {
    if (!msg || !msg->hwnd) {
        return false;
    }
    const PointerArray& hosts = AttachedHosts();
    PointerArray snapshot(hosts);
    if (IsChildWindow(msg->hwnd)) {
        // A key in a native child (an edit box) still runs Tab handling and the pre-filters of
        // every host it sits in, and is then dispatched to the child as well.
        for (int i = 0; i < snapshot.GetSize(); ++i) {
            auto* host = static_cast<CWindowHostUI*>(snapshot.GetAt(i));
            for (HWND ancestor = GetParent(msg->hwnd); ancestor && hosts.Find(host) >= 0;
                 ancestor = GetParent(ancestor)) {
                if (msg->hwnd != host->m_window && ancestor != host->m_window) {
                    continue;
                }
                if (host->RunTranslators(msg)) {
                    return true;
                }
                host->PreTranslate(msg->message, msg->wParam, msg->lParam);
            }
        }
        return false;
    }
    for (int i = 0; i < snapshot.GetSize(); ++i) {
        auto* host = static_cast<CWindowHostUI*>(snapshot.GetAt(i));
        if (host->m_window == msg->hwnd && hosts.Find(host) >= 0) {
            return host->RunTranslators(msg) || host->PreTranslate(msg->message, msg->wParam, msg->lParam);
        }
    }
    return false;
}
