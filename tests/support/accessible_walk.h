#pragma once
// A screen reader's view of a window for the tests: the tree of accessible objects under the
// client area, read through AccessibleChildren as clients do, flattened in document order.

#include <windows.h>

#include <oleacc.h>

#include <string>
#include <vector>

struct AccessibleNode {
    IAccessible* object = nullptr;  // one reference, released by AccessibleTree
    int depth = 0;
    LONG role = 0;
    LONG state = 0;
    std::wstring name;
    std::wstring value;
    LONG childCount = 0;
};

// A text property of the object itself (CHILDID_SELF), empty when it has none.
template <typename Getter>
std::wstring ReadText(IAccessible* object, Getter getter) {
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    const HRESULT hr = (object->*getter)(self, &text);
    std::wstring result = SUCCEEDED(hr) && text ? std::wstring(text) : std::wstring();
    SysFreeString(text);
    return result;
}

// A number property of the object itself (role, state); -1 when it cannot be read.
template <typename Getter>
LONG ReadLong(IAccessible* object, Getter getter) {
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT value;
    VariantInit(&value);
    const HRESULT hr = (object->*getter)(self, &value);
    return SUCCEEDED(hr) && value.vt == VT_I4 ? value.lVal : -1;
}

inline AccessibleNode ReadNode(IAccessible* object, int depth) {
    AccessibleNode node;
    node.object = object;
    node.depth = depth;
    node.role = ReadLong(object, &IAccessible::get_accRole);
    node.state = ReadLong(object, &IAccessible::get_accState);
    node.name = ReadText(object, &IAccessible::get_accName);
    node.value = ReadText(object, &IAccessible::get_accValue);
    object->get_accChildCount(&node.childCount);
    return node;
}

class AccessibleTree {
public:
    explicit AccessibleTree(HWND window) {
        void* root = nullptr;
        result = AccessibleObjectFromWindow(window, OBJID_CLIENT, IID_IAccessible, &root);
        if (SUCCEEDED(result)) Walk(static_cast<IAccessible*>(root), 0);
    }
    ~AccessibleTree() {
        for (AccessibleNode& node : nodes) node.object->Release();
    }
    AccessibleTree(const AccessibleTree&) = delete;
    AccessibleTree& operator=(const AccessibleTree&) = delete;

    // The first node with the role and the name, or null.
    const AccessibleNode* Find(LONG role, const std::wstring& name) const {
        for (const AccessibleNode& node : nodes) {
            if (node.role == role && node.name == name) return &node;
        }
        return nullptr;
    }
    // The nodes right below `parent` (its index in `nodes`).
    std::vector<const AccessibleNode*> ChildrenOf(size_t parent) const {
        std::vector<const AccessibleNode*> children;
        for (size_t i = parent + 1; i < nodes.size() && nodes[i].depth > nodes[parent].depth; ++i) {
            if (nodes[i].depth == nodes[parent].depth + 1) children.push_back(&nodes[i]);
        }
        return children;
    }

    HRESULT result = E_FAIL;
    std::vector<AccessibleNode> nodes;  // nodes[0] is the client area

private:
    void Walk(IAccessible* object, int depth) {
        nodes.push_back(ReadNode(object, depth));
        const LONG count = nodes.back().childCount;
        if (count <= 0) return;
        std::vector<VARIANT> children(count);
        LONG got = 0;
        if (FAILED(AccessibleChildren(object, 0, count, children.data(), &got))) return;
        for (LONG i = 0; i < got; ++i) {
            if (children[i].vt == VT_DISPATCH && children[i].pdispVal) {
                void* child = nullptr;
                children[i].pdispVal->QueryInterface(IID_IAccessible, &child);
                if (child) Walk(static_cast<IAccessible*>(child), depth + 1);
            }
            VariantClear(&children[i]);
        }
    }
};
