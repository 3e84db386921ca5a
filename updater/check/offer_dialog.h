#pragma once
// COfferWnd: the new-version window, built from the skin "newversion.xml" in the same "ZIPRES"
// archive as the update window. It shows the offered and the installed version, the release
// notes (scrollable, links opened in the browser when they are https) and the three answers,
// and keeps the user's choice for ShowOfferWindow once the window is gone. Unlike the update
// window it has a taskbar button: it asks a question, and may come up behind other windows.

#include <windows.h>

#include <optional>

#include "ui/util/unique_handle.h"
#include "updater/check/notes_fetch.h"
#include "updater/check/offer_text.h"
#include "updater/check/offer_window.h"
#include "updater/skin_window.h"

// Lives on its caller's stack for the whole modal loop; the native window goes first.
class COfferWnd final : public CUpdaterSkinWindow {
public:
    static constexpr const wchar_t* kSkinFile = L"newversion.xml";
    static constexpr UINT kTestAnswerTimer = 520;

    COfferWnd(OfferDetails details, std::optional<OfferTestAnswer> testAnswer);
    ~COfferWnd() override;

    // Later until a button says otherwise: every way of closing the window means "not now".
    OfferChoice Choice() const { return choice; }

    const wchar_t* WindowClassName() const override;
    const wchar_t* SkinFile() const override;
    void OnSkinBuilt() override;
    void OnClick(NotifyMsg& msg) override;
    bool HandleDefaultKey(WPARAM key) override;
    const MessageTable* OwnMessageTable() const override;
    const NotifyMap* OwnNotifyMap() const override;

private:
    LRESULT OnPaintMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnNotesFetched(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    void ShowNotes(const std::wstring& markup);
    void OnLink(NotifyMsg& msg);
    void OnTimer(WPARAM wParam, LPARAM lParam);
    void ShowDetails();
    void SetWindowIcons();
    // The test-only answer: its button clicked as a user would, or the window closed when the
    // offer hides that button.
    void AnswerForTest();
    void Answer(OfferChoice answer);

    OfferDetails details;
    std::optional<OfferTestAnswer> testAnswer;
    OfferChoice choice = OfferChoice::Later;
    bool painted = false;
    UniqueIcon bigIcon;
    UniqueIcon smallIcon;
    // Last: its thread may still post to the window, which goes first.
    NotesFetch notesFetch;
};
