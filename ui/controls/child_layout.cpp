// CChildLayoutUI: building the child skin into the container, with bounds on how deep and how
// often child skins build one another.

#include "ui/controls/child_layout.h"

#include <cwchar>

#include "ui/markup/skin_builder.h"

namespace {

// Child skins being built right now, one inside the other, and the builds since the outermost
// one started. UI thread only, as all of the control tree.
struct NestedBuilds {
    int depth = 0;
    int started = 0;
};

NestedBuilds g_builds;

// Counts one build for its lifetime; refuses (Allowed() false) beyond the limits.
class CBuildTicket {
public:
    CBuildTicket() {
        if (g_builds.depth == 0) {
            g_builds.started = 0;
        }
        m_allowed = g_builds.depth < CChildLayoutUI::kMaxNesting &&
                    g_builds.started < CChildLayoutUI::kMaxBuildsPerTree;
        if (m_allowed) {
            ++g_builds.depth;
            ++g_builds.started;
        }
    }
    ~CBuildTicket() {
        if (m_allowed) {
            --g_builds.depth;
        }
    }
    CBuildTicket(const CBuildTicket&) = delete;
    CBuildTicket& operator=(const CBuildTicket&) = delete;
    bool Allowed() const { return m_allowed; }

private:
    bool m_allowed = false;
};

}  // namespace

CChildLayoutUI::CChildLayoutUI() = default;

const wchar_t* CChildLayoutUI::ClassName() const {
    return L"ChildLayoutUI";
}

// Not a container for the skin builder: the content comes from the child skin only.
void* CChildLayoutUI::CastTo(const wchar_t* name) {
    if (name && (wcscmp(name, L"ChildLayout") == 0 || wcscmp(name, L"Control") == 0)) {
        return this;
    }
    return nullptr;
}

// Adding the built control attaches it to the host and initialises it, so child layouts inside
// the child skin build their own skins from within this call.
void CChildLayoutUI::Initialize() {
    if (m_skinFile.IsEmpty()) {
        return;
    }
    CBuildTicket ticket;
    if (!ticket.Allowed()) {
        return;
    }
    CSkinBuilder builder;
    CControlUI* content = builder.Build(m_skinFile.GetData(), nullptr, nullptr, m_host, nullptr);
    // The tree may be initialised again (its root attached once more): the new content
    // replaces the earlier one instead of joining it.
    RemoveAll();
    if (content && !Add(content)) {
        delete content;
    }
}

void CChildLayoutUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (name && value && wcscmp(name, L"xmlfile") == 0) {
        SetChildSkinFile(value);
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}
