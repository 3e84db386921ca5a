// CWindowHostUI: control timers. Each (control, local id) pair is mapped onto a native timer of
// the host's window; WM_TIMER comes back as EventTimer to the control.

#include "ui/core/window_host.h"

#include <new>

#include "ui/controls/control.h"

namespace {

// Native ids cycle through 0..239, so the caret's 241 is never handed out.
constexpr UINT kNativeIdCount = 240;

}  // namespace

TimerEntry* CWindowHostUI::FindTimer(CControlUI* control, UINT localId) const {
    for (int i = 0; i < m_timers.GetSize(); ++i) {
        auto* entry = static_cast<TimerEntry*>(m_timers.GetAt(i));
        if (entry->control == control && entry->localId == localId && entry->window == m_window) {
            return entry;
        }
    }
    return nullptr;
}

// The next id after the last one handed out that no entry of the table holds. Two entries
// sharing a native id would share one native timer: SetTimer would silently retarget the first
// one and its control would receive the other's ticks. False when every id is taken.
bool CWindowHostUI::NextNativeTimerId(UINT& id) {
    for (UINT attempt = 0; attempt < kNativeIdCount; ++attempt) {
        UINT candidate = (m_timerCounter + 1) % kNativeIdCount;
        m_timerCounter = candidate;
        bool taken = false;
        for (int i = 0; i < m_timers.GetSize() && !taken; ++i) {
            auto* entry = static_cast<TimerEntry*>(m_timers.GetAt(i));
            taken = entry->window == m_window && entry->nativeId == candidate;
        }
        if (!taken) {
            id = candidate;
            return true;
        }
    }
    return false;
}

bool CWindowHostUI::StartTimer(CControlUI* control, UINT localId, UINT elapse) {
    // A timer without a window could never be routed back, nor killed by its id. A control of
    // no host, or of another one, would not forget its timers here when it dies, and the next
    // WM_TIMER would reach freed memory.
    if (!m_window || !control || control->Host() != this) {
        return false;
    }
    if (TimerEntry* entry = FindTimer(control, localId)) {
        if (!entry->stopped) {
            return false;  // the running timer keeps its interval
        }
        if (!SetTimer(m_window, entry->nativeId, elapse, nullptr)) {
            return false;
        }
        entry->stopped = false;
        return true;
    }
    UINT nativeId = 0;
    if (!NextNativeTimerId(nativeId) || !SetTimer(m_window, nativeId, elapse, nullptr)) {
        return false;
    }
    auto* entry = new (std::nothrow) TimerEntry{control, localId, m_window, nativeId, false};
    if (!entry || !m_timers.Add(entry)) {
        KillTimer(m_window, nativeId);
        delete entry;
        return false;
    }
    return true;
}

bool CWindowHostUI::StopTimer(CControlUI* control, UINT localId) {
    for (int i = 0; i < m_timers.GetSize(); ++i) {
        auto* entry = static_cast<TimerEntry*>(m_timers.GetAt(i));
        if (entry->control == control && entry->localId == localId && entry->window == m_window &&
            !entry->stopped) {
            if (IsWindow(m_window)) {
                KillTimer(m_window, entry->nativeId);
            }
            // The entry keeps its native id for a later restart.
            entry->stopped = true;
            return true;
        }
    }
    return false;
}

void CWindowHostUI::StopTimersOf(CControlUI* control) {
    for (int i = m_timers.GetSize() - 1; i >= 0; --i) {
        auto* entry = static_cast<TimerEntry*>(m_timers.GetAt(i));
        if (entry->control != control || entry->window != m_window) {
            continue;
        }
        if (!entry->stopped && IsWindow(m_window)) {
            KillTimer(m_window, entry->nativeId);
        }
        m_timers.Remove(i);
        delete entry;
    }
}

void CWindowHostUI::StopAllTimers() {
    for (int i = 0; i < m_timers.GetSize(); ++i) {
        auto* entry = static_cast<TimerEntry*>(m_timers.GetAt(i));
        if (!entry->stopped && IsWindow(entry->window)) {
            KillTimer(entry->window, entry->nativeId);
        }
        delete entry;
    }
    m_timers.Empty();
}

void CWindowHostUI::RouteTimer(WPARAM wParam) {
    UINT nativeId = LOWORD(wParam);
    if (nativeId == kCaretTimerId) {
        BlinkDrawnCaret();  // the painted caret's blink, not a control timer
        return;
    }
    for (int i = 0; i < m_timers.GetSize(); ++i) {
        auto* entry = static_cast<TimerEntry*>(m_timers.GetAt(i));
        if (entry->stopped || entry->window != m_window || entry->nativeId != nativeId) {
            continue;
        }
        UIEvent event;
        event.type = EventTimer;
        event.sender = entry->control;
        event.wParam = entry->localId;
        event.timestamp = GetTickCount();
        // The handler may stop or remove timers, so nothing of the entry is used afterwards.
        entry->control->DispatchEvent(event);
        return;
    }
}
