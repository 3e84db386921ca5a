#pragma once
// A skinned window for the window tests: its skin source, file and resource are chosen per
// test, and skin elements named Fake... become plain controls that answer the class name of a
// real control, so caption hit-testing can be checked against any class.

#include <windows.h>

#include <string>

#include "ui/controls/control.h"
#include "ui/core/window_impl_base.h"

class ClassNamedControl : public CControlUI {
public:
    explicit ClassNamedControl(const wchar_t* className) : m_className(className) {}
    const wchar_t* ClassName() const override { return m_className; }

private:
    const wchar_t* m_className;
};

class SkinWindow : public WindowImplBase {
public:
    // Loose skin files of the tests live here, below the test program's folder.
    static constexpr const wchar_t* kSkinFolder = L"window_skin\\";

    SkinWindow(int source, std::wstring file, const wchar_t* resourceId = L"", std::wstring archive = L"")
        : m_source(source),
          m_file(std::move(file)),
          m_resourceId(resourceId),
          m_archive(std::move(archive)) {}
    ~SkinWindow() override {
        if (WindowHandle()) {
            DestroyWindow(WindowHandle());
        }
    }

    // Hidden unless `style` says otherwise; the caption bits are there for the skin to remove.
    HWND CreateWindowed(DWORD style = 0) {
        return Create(nullptr, L"skin window", WS_POPUP | WS_CAPTION | WS_SYSMENU | style,
                      WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, -3000, -3000, 50, 50);
    }

    const wchar_t* WindowClassName() const override { return L"WindowBaseTestWnd"; }
    const wchar_t* SkinFolder() const override { return kSkinFolder; }
    const wchar_t* SkinFile() const override { return m_file.c_str(); }
    int SkinSource() const override { return m_source; }
    const wchar_t* SkinArchiveFileName() const override { return m_archive.c_str(); }
    const wchar_t* SkinResourceId() const override { return m_resourceId; }
    void OnSkinBuilt() override { ++skinBuiltCalls; }

    CControlUI* CreateCustomControl(const wchar_t* element) override {
        static const struct {
            const wchar_t* element;
            const wchar_t* className;
        } kFakes[] = {{L"FakeButton", L"ButtonUI"},
                      {L"FakeText", L"TextUI"},
                      {L"FakeOption", L"OptionUI"},
                      {L"FakeLowerButton", L"buttonui"}};
        for (const auto& fake : kFakes) {
            if (wcscmp(element, fake.element) == 0) {
                return new ClassNamedControl(fake.className);
            }
        }
        return nullptr;
    }

    // Places the tree in the client area, as the first paint would.
    void LayOut() {
        RECT client;
        GetClientRect(WindowHandle(), &client);
        if (host.Root()) {
            host.Root()->SetPos(client);
        }
    }

    int skinBuiltCalls = 0;

private:
    int m_source;
    std::wstring m_file;
    const wchar_t* m_resourceId;
    std::wstring m_archive;
};
