#pragma once
// CSkinBuilder turns a skin document into a tree of controls for one window host: it hands the
// document's fonts, images and class defaults and its Window element's settings to the host,
// creates one control per element through the factory table (or the application's callback),
// nests them as the elements nest and expands Include elements into further documents.
// Nothing that a skin says can make it fail loudly: what cannot be built is skipped.

#include "ui/markup/xml_reader.h"

class CControlUI;
class CWindowHostUI;

// Asked for element names the factory table does not know.
class IDialogBuilderCallback {
public:
    // A new control (created with new) or null to skip the element and its subtree.
    virtual CControlUI* CreateCustomControl(const wchar_t* className) = 0;

protected:
    ~IDialogBuilderCallback() = default;
};

class CSkinBuilder {
public:
    // Includes nested deeper than this are skipped: a document that includes itself, directly or
    // through others, would otherwise recurse until the stack overflows.
    static constexpr int kMaxIncludeDepth = 16;
    // Include expansions tried per top-level build, successful or not: "count" multiplies at
    // every level, so a few self-includes with a large count would otherwise never finish.
    static constexpr int kMaxIncludeExpansions = 1000;
    // Controls nested deeper than this, counting through included documents, are skipped with
    // their subtrees: one document cannot nest deeper, but includes inside deep elements could
    // stack documents until building, layout or painting overflows the stack.
    static constexpr int kMaxControlNesting = 1000;

    CSkinBuilder();
    CSkinBuilder(const CSkinBuilder&) = delete;
    CSkinBuilder& operator=(const CSkinBuilder&) = delete;

    // `source` is an integer resource identifier (MAKEINTRESOURCEW) of resource type `type`,
    // markup when it starts with "<", else a skin file name. Returns the first top-level
    // control, or null (load failure, or nothing could be built). `host` and `parent` may be null.
    CControlUI* Build(const wchar_t* source, const wchar_t* type = nullptr,
                      IDialogBuilderCallback* callback = nullptr, CWindowHostUI* host = nullptr,
                      CControlUI* parent = nullptr);
    // Builds from the document already loaded.
    CControlUI* BuildLoaded(IDialogBuilderCallback* callback = nullptr, CWindowHostUI* host = nullptr,
                            CControlUI* parent = nullptr);

    CXmlReader& Document() { return m_document; }

private:
    CSkinBuilder(int includeDepth, int nesting, int* includeBudget);

    bool LoadSource(const wchar_t* source, const wchar_t* type);
    bool LoadResource(const wchar_t* id, const wchar_t* type);
    void ApplyDeclarations(const CXmlNode& root, CWindowHostUI& host);
    // `nesting` is the depth of the controls this list creates.
    CControlUI* ParseChildren(const CXmlNode& node, CControlUI* parent, CWindowHostUI* host, int nesting);
    CControlUI* CreateControl(const wchar_t* element);
    void ApplyAttributes(CControlUI* control, const CXmlNode& element, CWindowHostUI* host);
    // Builds an Include into `parent`; without a parent, returns the included root when
    // `rootTaken` is false (later roots are deleted: nothing would own them).
    CControlUI* ExpandInclude(const CXmlNode& include, CControlUI* parent, CWindowHostUI* host, int nesting,
                              bool rootTaken);

    CXmlReader m_document;
    IDialogBuilderCallback* m_callback = nullptr;
    const wchar_t* m_resourceType = nullptr;  // not owned
    int m_includeDepth = 0;
    int m_nesting = 0;  // depth of this document's top-level controls
    int m_ownBudget = kMaxIncludeExpansions;
    int* m_includeBudget = &m_ownBudget;  // shared by every builder of one top-level build
};
