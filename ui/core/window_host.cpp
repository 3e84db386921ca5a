// CWindowHostUI: binding to the window and the control tree (root, names, hit testing,
// deferred deletion).

#include "ui/core/window_host.h"
#include "ui/core/window_dpi.h"

#include "ui/controls/control.h"
#include "ui/draw/gdi_painter.h"
#include "ui/draw/shared_image_cache.h"

namespace {

PointerArray& HostList() {
    static PointerArray hosts;
    return hosts;
}

CControlUI* RegisterNameVisitor(CControlUI* control, void* data) {
    CWideString name = control->Name();
    if (!name.IsEmpty()) {
        static_cast<StringPointerMap*>(data)->Set(name, control);
    }
    return nullptr;
}

CControlUI* HitVisitor(CControlUI* control, void* data) {
    return PtInRect(&control->Pos(), *static_cast<const POINT*>(data)) ? control : nullptr;
}

}  // namespace

// Images come through the process-wide cache of decoded pictures unless a caller hands the cache
// another loader.
CWindowHostUI::CWindowHostUI() : m_imageLoader(&LoadSharedSkinImage) {
    PreparePaintingOnce();
    CreateDefaultFont();
}

CWindowHostUI::~CWindowHostUI() {
    // Deliveries still on the stack (the window was closed from inside an event or a
    // notification) must not touch this host when they resume.
    for (DeliveryGuard* guard = m_guards; guard; guard = guard->m_outer) {
        guard->m_host = nullptr;
    }
    m_guards = nullptr;
    DeleteDeferredControls();
    m_controlsByName.Resize(83);
    if (m_ownsRoot && m_root) {
        CControlUI* root = m_root;
        m_root = nullptr;
        delete root;
    }
    ClearFonts();
    ClearImages();
    ClearClassDefaults();
    ClearGroups();
    StopAllTimers();
    HostList().RemoveValue(this);
}

const PointerArray& CWindowHostUI::AttachedHosts() {
    return HostList();
}

void CWindowHostUI::AttachWindow(HWND window) {
    m_window = window;
    m_dpi = WindowDpi(window);
    m_paintDC.Acquire(window);
    if (HostList().Find(this) < 0) {
        HostList().Add(this);
    }
}

bool CWindowHostUI::AttachRoot(CControlUI* control) {
    SetFocusControl(nullptr);
    m_keyTarget = nullptr;
    m_hover = nullptr;
    m_pressed = nullptr;
    if (m_root) {
        m_afterPaint.Empty();
        // Attaching the current root again must not queue the live tree for deletion.
        if (m_root != control) {
            DeferDelete(m_root);
        }
    }
    m_root = control;
    m_updateNeeded = true;
    m_firstLayout = true;
    m_focusNeeded = true;
    m_ownsRoot = true;
    if (!control) {
        return false;
    }
    return InitTree(control, nullptr);
}

bool CWindowHostUI::InitTree(CControlUI* control, CControlUI* parent) {
    if (!control) {
        return false;
    }
    control->AttachHost(this, parent ? parent : control->ParentControl(), true);
    RegisterNames(control);
    return true;
}

void CWindowHostUI::RegisterNames(CControlUI* subtree) {
    if (subtree) {
        subtree->FindControl(RegisterNameVisitor, &m_controlsByName, 0);
    }
}

CControlUI* CWindowHostUI::FindControlByName(const wchar_t* name) {
    return name ? static_cast<CControlUI*>(m_controlsByName.Find(name)) : nullptr;
}

void CWindowHostUI::RenameControl(CControlUI* control, const wchar_t* previousName) {
    if (!control || !previousName || !*previousName) {
        return;
    }
    if (m_controlsByName.Find(previousName, false) != control) {
        return;
    }
    m_controlsByName.Remove(previousName);
    CWideString name = control->Name();
    if (!name.IsEmpty()) {
        m_controlsByName.Set(name, control);
    }
}

CControlUI* CWindowHostUI::FindControlAt(POINT point) const {
    if (!m_root) {
        return nullptr;
    }
    return m_root->FindControl(HitVisitor, &point, FindVisible | FindHitTest | FindTopFirst);
}

bool CWindowHostUI::DeferDelete(CControlUI* control) {
    if (!control) {
        return false;
    }
    control->AttachHost(this, nullptr, false);
    bool queued = m_deferredDeletes.Add(control);
    if (m_window) {
        PostMessageW(m_window, kDeferredDeleteMessage, 0, 0);
    }
    return queued;
}

void CWindowHostUI::DeleteDeferredControls() {
    // Destructors may queue further deletions (destroy listeners can remove controls), so the
    // queue is taken over before anything is deleted.
    PointerArray doomed(m_deferredDeletes);
    m_deferredDeletes.Empty();
    for (int i = 0; i < doomed.GetSize(); ++i) {
        delete static_cast<CControlUI*>(doomed.GetAt(i));
    }
}

void CWindowHostUI::ForgetControl(CControlUI* control) {
    if (!control) {
        return;
    }
    CControlUI** references[] = {&m_keyTarget, &m_hover, &m_pressed, &m_focus, &m_caretOwner};
    for (CControlUI** reference : references) {
        if (*reference == control) {
            *reference = nullptr;
        }
    }
    for (DeliveryGuard* guard = m_guards; guard; guard = guard->m_outer) {
        if (guard->m_control == control) {
            guard->m_control = nullptr;
        }
    }
    // A layout that dies while dragging its separator would otherwise be painted after death;
    // every copy goes, however it got listed.
    while (m_afterPaint.RemoveValue(control)) {
    }
    StopTimersOf(control);
    m_accessible.Forget(control);
    CWideString name = control->Name();
    if (!name.IsEmpty() && m_controlsByName.Find(name, false) == control) {
        m_controlsByName.Remove(name);
    }
}


bool CWindowHostUI::AddAfterPaint(CControlUI* control) {
    return m_afterPaint.Add(control);
}

bool CWindowHostUI::RemoveAfterPaint(CControlUI* control) {
    return m_afterPaint.RemoveValue(control);
}
