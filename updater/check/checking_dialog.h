#pragma once
// CCheckingWnd: the window a check the user asked for (--now) shows while it waits for the
// feed, built from the skin "checking.xml" in the same "ZIPRES" archive as the update window:
// "正在检查更新…" and a cancel button. The check's worker posts kAnsweredMessage when it has
// its answer; every other way the window goes (the button, its close button, Escape, Alt+F4)
// is the user cancelling the check.

#include <windows.h>

#include "updater/skin_window.h"

// Lives on its caller's stack for the whole modal loop; the native window goes first.
class CCheckingWnd final : public CUpdaterSkinWindow {
public:
    static constexpr const wchar_t* kSkinFile = L"checking.xml";
    static constexpr UINT kAnsweredMessage = WM_APP + 61;

    CCheckingWnd() = default;
    ~CCheckingWnd() override;

    // False until the worker's answer closed the window.
    bool Answered() const { return answered; }

    const wchar_t* WindowClassName() const override;
    const wchar_t* SkinFile() const override;
    void OnSkinBuilt() override;
    void OnClick(NotifyMsg& msg) override;
    bool HandleDefaultKey(WPARAM key) override;
    const MessageTable* OwnMessageTable() const override;

private:
    LRESULT OnPaintMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnAnswered(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    bool answered = false;
    bool painted = false;
};
