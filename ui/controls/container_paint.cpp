// Painting of a container: itself, then its children clipped to its client area (floating
// children only to its item rectangle), then its scroll bars.

#include "ui/controls/container.h"
#include "ui/draw/gdi_objects.h"
#include "ui/controls/scroll_bar.h"

namespace {

bool Meets(const RECT& a, const RECT& b) {
    RECT common;
    return IntersectRect(&common, &a, &b) != FALSE;
}

}  // namespace

void CContainerUI::Paint(HDC dc, const RECT& dirty) {
    RECT paintRect;
    if (!IntersectRect(&paintRect, &dirty, &m_rcItem)) {
        return;
    }
    CClipScope outer(dc, paintRect);
    CControlUI::Paint(dc, dirty);
    PaintChildren(dc, dirty, outer);
    PaintScrollBars(dc, dirty);
}

void CContainerUI::PaintChildren(HDC dc, const RECT& dirty, const CClipScope& outer) {
    if (m_items.IsEmpty()) {
        return;
    }
    RECT client = ClientRect();
    RECT inner;
    if (!IntersectRect(&inner, &dirty, &client)) {
        // Nothing of the client area is dirty: only floating children can reach the dirty part.
        for (int i = 0; i < m_items.GetSize(); ++i) {
            CControlUI* child = ItemAt(i);
            if (child->IsVisible() && child->IsFloat() && Meets(dirty, child->Pos()) &&
                Meets(m_rcItem, child->Pos())) {
                child->Paint(dc, dirty);
            }
        }
        return;
    }
    CClipScope innerClip(dc, inner);
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = ItemAt(i);
        if (!child->IsVisible() || !Meets(dirty, child->Pos())) {
            continue;
        }
        if (child->IsFloat()) {
            if (!Meets(m_rcItem, child->Pos())) {
                continue;
            }
            // Floating children may cover the inset and the scroll bars, so they are painted
            // under the outer clip and the inner one is put back afterwards.
            outer.Reselect();
            child->Paint(dc, dirty);
            innerClip.Reselect();
        } else if (Meets(client, child->Pos())) {
            child->Paint(dc, dirty);
        }
    }
}

void CContainerUI::PaintScrollBars(HDC dc, const RECT& dirty) {
    CScrollBarUI* bars[] = {m_verticalBar, m_horizontalBar};
    for (CScrollBarUI* bar : bars) {
        if (bar && bar->IsVisible() && Meets(dirty, bar->Pos())) {
            bar->Paint(dc, dirty);
        }
    }
}
