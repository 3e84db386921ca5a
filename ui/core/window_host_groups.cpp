// CWindowHostUI: named groups of controls (the radio groups of option controls).

#include <new>

#include "ui/core/window_host.h"

namespace {

constexpr int kGroupInitialCapacity = 6;

}  // namespace

bool CWindowHostUI::AddToGroup(const wchar_t* group, CControlUI* control) {
    if (!group) {
        return false;
    }
    if (auto* members = static_cast<PointerArray*>(m_groups.Find(group))) {
        return members->Find(control) < 0 && members->Add(control);
    }
    auto* members = new (std::nothrow) PointerArray(kGroupInitialCapacity);
    if (!members || !members->Add(control) || !m_groups.Insert(group, members)) {
        delete members;
        return false;
    }
    return true;
}

void CWindowHostUI::RemoveFromGroup(const wchar_t* group, CControlUI* control) {
    auto* members = group ? static_cast<PointerArray*>(m_groups.Find(group)) : nullptr;
    if (!members) {
        return;
    }
    members->RemoveValue(control);
    if (members->IsEmpty()) {
        m_groups.Remove(group);
        delete members;
    }
}

PointerArray* CWindowHostUI::GroupMembers(const wchar_t* group) {
    return group ? static_cast<PointerArray*>(m_groups.Find(group)) : nullptr;
}

void CWindowHostUI::ClearGroups() {
    for (int i = 0; i < m_groups.GetSize(); ++i) {
        delete static_cast<PointerArray*>(m_groups.Find(m_groups.GetAt(i), false));
    }
    m_groups.Resize(83);
}
