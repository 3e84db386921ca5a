#include "ui/markup/skin_builder.h"

#include <cwchar>

#include "ui/controls/container.h"
#include "ui/controls/control.h"
#include "ui/core/window_host.h"
#include "ui/markup/control_factory.h"
#include "ui/markup/skin_declarations.h"

namespace {

bool Is(const wchar_t* a, const wchar_t* b) {
    return wcscmp(a, b) == 0;
}

bool IsDeclaration(const wchar_t* tag) {
    return Is(tag, L"Image") || Is(tag, L"Font") || Is(tag, L"Default");
}

// Frees a found resource's loaded handle on every path (FreeResource is a no-op on Win32 but
// keeps the sequence right for modules that need it).
class CResourceData {
public:
    explicit CResourceData(HGLOBAL data) : m_data(data) {}
    ~CResourceData() {
        if (m_data) {
            FreeResource(m_data);
        }
    }
    CResourceData(const CResourceData&) = delete;
    CResourceData& operator=(const CResourceData&) = delete;

private:
    HGLOBAL m_data;
};

}  // namespace

CSkinBuilder::CSkinBuilder() {
    m_document.SetPreserveWhitespace(true);
}

CSkinBuilder::CSkinBuilder(int includeDepth, int nesting, int* includeBudget)
    : m_includeDepth(includeDepth), m_nesting(nesting), m_includeBudget(includeBudget) {
    m_document.SetPreserveWhitespace(true);
}

CControlUI* CSkinBuilder::Build(const wchar_t* source, const wchar_t* type, IDialogBuilderCallback* callback,
                                CWindowHostUI* host, CControlUI* parent) {
    m_callback = callback;
    if (!LoadSource(source, type)) {
        return nullptr;
    }
    return BuildLoaded(callback, host, parent);
}

bool CSkinBuilder::LoadSource(const wchar_t* source, const wchar_t* type) {
    if (IS_INTRESOURCE(source)) {
        return LoadResource(source, type);
    }
    if (source[0] == L'<') {
        return m_document.LoadText(source);
    }
    return m_document.LoadSkinFile(source);
}

bool CSkinBuilder::LoadResource(const wchar_t* id, const wchar_t* type) {
    HMODULE module = CWindowHostUI::ResourceModule();
    HRSRC found = FindResourceW(module, id, type);
    if (!found) {
        return false;
    }
    HGLOBAL data = ::LoadResource(module, found);
    if (!data) {
        return false;
    }
    CResourceData owner(data);
    const void* bytes = LockResource(data);
    DWORD size = SizeofResource(module, found);
    if (!bytes || !m_document.LoadBytes(bytes, size)) {
        return false;
    }
    m_resourceType = type;
    return true;
}

CControlUI* CSkinBuilder::BuildLoaded(IDialogBuilderCallback* callback, CWindowHostUI* host,
                                      CControlUI* parent) {
    m_callback = callback;
    CXmlNode root = m_document.RootNode();
    if (!root.IsValid()) {
        return nullptr;
    }
    if (host) {
        ApplyDeclarations(root, *host);
        if (host->WindowHandle() && Is(root.Tag(), L"Window")) {
            ApplyWindowAttributes(root, *host);
        }
    }
    return ParseChildren(root, parent, host, m_nesting);
}

void CSkinBuilder::ApplyDeclarations(const CXmlNode& root, CWindowHostUI& host) {
    for (CXmlNode child = root.FirstChild(); child.IsValid(); child = child.NextSibling()) {
        ApplyResourceDeclaration(child, host);
    }
}

CControlUI* CSkinBuilder::CreateControl(const wchar_t* element) {
    CControlUI* control = CreateControlForElement(element);
    if (!control && m_callback) {
        control = m_callback->CreateCustomControl(element);
    }
    return control;
}

CControlUI* CSkinBuilder::ParseChildren(const CXmlNode& node, CControlUI* parent, CWindowHostUI* host,
                                        int nesting) {
    if (nesting >= kMaxControlNesting) {
        return nullptr;
    }
    CControlUI* first = nullptr;
    IContainerUI* container = nullptr;
    bool containerLooked = false;
    for (CXmlNode child = node.FirstChild(); child.IsValid(); child = child.NextSibling()) {
        const wchar_t* tag = child.Tag();
        if (IsDeclaration(tag)) {
            continue;
        }
        if (Is(tag, L"Include")) {
            CControlUI* included = ExpandInclude(child, parent, host, nesting, first != nullptr);
            if (!first) {
                first = included;
            }
            continue;
        }
        // Without a parent the first top-level control is the root the caller receives; any
        // later one would have no owner, so it is not built at all.
        if (!parent && first) {
            continue;
        }
        // Tree nodes need the tree controls, which this framework does not have.
        if (Is(tag, L"TreeNode")) {
            continue;
        }
        CControlUI* control = CreateControl(tag);
        if (!control) {
            continue;
        }
        // Children exist before their parent is attached and before its own attributes apply.
        if (child.HasChildren()) {
            ParseChildren(child, control, host, nesting + 1);
        }
        // A control has its attributes before its parent takes it, so that the parent sees the
        // child as the markup describes it (a tab layout must not select a page the markup hides).
        ApplyAttributes(control, child, host);
        if (parent) {
            if (!containerLooked) {
                container = static_cast<IContainerUI*>(parent->CastTo(L"IContainer"));
                containerLooked = true;
            }
            if (!container) {
                delete control;
                return nullptr;
            }
            if (!container->Add(control)) {
                delete control;
                continue;
            }
        }
        if (!first) {
            first = control;
        }
    }
    return first;
}

void CSkinBuilder::ApplyAttributes(CControlUI* control, const CXmlNode& element, CWindowHostUI* host) {
    if (host) {
        control->AttachHost(host, nullptr, false);
        if (const wchar_t* defaults = host->ClassDefaults(element.Tag())) {
            control->ApplySkinAttributeText(defaults);
        }
    }
    // Lengths are scaled to the host's DPI here, once, as they enter the tree.
    for (int i = 0; i < element.AttrCount(); ++i) {
        control->ApplySkinAttribute(element.AttrName(i), element.AttrValue(i));
    }
    if (host) {
        // The host's InitTree attaches the tree for good once it is installed.
        control->AttachHost(nullptr, nullptr, false);
    }
}

CControlUI* CSkinBuilder::ExpandInclude(const CXmlNode& include, CControlUI* parent, CWindowHostUI* host,
                                        int nesting, bool rootTaken) {
    if (!include.HasAttributes() || m_includeDepth >= kMaxIncludeDepth) {
        return nullptr;
    }
    const wchar_t* countText = include.FindAttrValue(L"count");
    int count = countText ? static_cast<int>(wcstol(countText, nullptr, 10)) : 1;
    const wchar_t* source = include.FindAttrValue(L"source");
    if (!source) {
        return nullptr;
    }
    const wchar_t* includeSource = source;
    if (m_resourceType) {
        includeSource = MAKEINTRESOURCEW(static_cast<WORD>(wcstol(source, nullptr, 10)));
    }
    CControlUI* root = nullptr;
    for (int i = 0; i<count&& * m_includeBudget> 0; ++i) {
        --*m_includeBudget;
        CSkinBuilder included(m_includeDepth + 1, nesting, m_includeBudget);
        CControlUI* built = included.Build(includeSource, m_resourceType, m_callback, host, parent);
        // With a parent the included controls belong to it. Without one, the included root
        // becomes the root when there is none yet, and is deleted otherwise.
        if (parent || !built) {
            continue;
        }
        if (rootTaken || root) {
            delete built;
        } else {
            root = built;
        }
    }
    return root;
}
