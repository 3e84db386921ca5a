#pragma once
// CChildLayoutUI: a container whose content is a skin file of its own ("xmlfile"), built into it
// when the host initialises the tree. One skin can so reuse a piece of markup kept in a separate
// file. Its markup element takes no children: it does not answer "IContainer".

#include "ui/controls/container.h"

class CChildLayoutUI : public CContainerUI {
public:
    // Child skins built inside one another deeper than this stay empty: a file that contains
    // itself, directly or through others, would otherwise recurse until the stack overflows.
    static constexpr int kMaxNesting = 16;
    // Child skins built within one outermost build, nested ones included: a file holding
    // several child layouts of itself multiplies at every level, so depth alone would still
    // let it run for hours.
    static constexpr int kMaxBuildsPerTree = 1000;

    CChildLayoutUI();

    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
    // Builds the child skin; the initialisation hook and listeners of the control base do not run.
    void Initialize() override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

    const CWideString& ChildSkinFile() const { return m_skinFile; }
    void SetChildSkinFile(const wchar_t* file) { m_skinFile = file ? file : L""; }

private:
    CWideString m_skinFile;
};
