// CWindowHostUI: the resource chain and the default attribute lists per control class.

#include "ui/core/window_host.h"

#include <new>

bool CWindowHostUI::SetResourceParent(CWindowHostUI* parent) {
    // Every lookup walks the chain to its end, so a loop would never end.
    for (const CWindowHostUI* host = parent; host; host = host->m_resourceParent) {
        if (host == this) {
            return false;
        }
    }
    m_resourceParent = parent;
    return true;
}

const CWindowHostUI* CWindowHostUI::TopHost() const {
    const CWindowHostUI* host = this;
    while (host->m_resourceParent) {
        host = host->m_resourceParent;
    }
    return host;
}

CWindowHostUI* CWindowHostUI::TopHost() {
    return const_cast<CWindowHostUI*>(static_cast<const CWindowHostUI*>(this)->TopHost());
}

void CWindowHostUI::SetClassDefaults(const wchar_t* className, const wchar_t* list) {
    if (!className || m_classDefaults.Find(className, false)) {
        return;
    }
    auto* copy = new (std::nothrow) CWideString(list ? list : L"");
    if (copy && !m_classDefaults.Insert(className, copy)) {
        delete copy;
    }
}

const wchar_t* CWindowHostUI::ClassDefaults(const wchar_t* className) {
    if (!className) {
        return nullptr;
    }
    for (CWindowHostUI* host = this; host; host = host->m_resourceParent) {
        if (auto* list = static_cast<CWideString*>(host->m_classDefaults.Find(className))) {
            return list->GetData();
        }
    }
    return nullptr;
}

void CWindowHostUI::ClearClassDefaults() {
    for (int i = 0; i < m_classDefaults.GetSize(); ++i) {
        delete static_cast<CWideString*>(m_classDefaults.Find(m_classDefaults.GetAt(i), false));
    }
    m_classDefaults.Resize(83);
}
