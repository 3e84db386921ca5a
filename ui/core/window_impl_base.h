#pragma once
// WindowImplBase: a native window built from a skin. At creation it drops the native caption,
// binds its window host, finds the skin (loose file, archive file, resource, or archive held in
// a resource), builds the control tree and installs it; a skin that yields no control ends the
// process with a message box. Afterwards the whole window is client area: the skin's caption
// rectangle drags it, its size box resizes it, and its corner size rounds it. Messages reach
// overridable handlers through one table; notifications reach handlers through notify maps.

#include <windows.h>

#include "ui/core/notify_pump.h"
#include "ui/core/window_host.h"
#include "ui/core/window_wnd.h"
#include "ui/markup/skin_builder.h"

// Where a window's skin comes from (SkinSource()).
enum SkinSourceKind {
    SkinFromFile = 1,             // SkinFile() in the resource folder
    SkinFromArchiveFile = 2,      // entry SkinFile() of SkinArchiveFileName() in the resource folder
    SkinFromXmlResource = 3,      // resource of type "xml" whose id is SkinFile() as a number
    SkinFromArchiveResource = 4,  // entry SkinFile() of the "ZIPRES" resource SkinResourceId()
};

class WindowImplBase : public CWindowWnd,
                       public CNotifyPump,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback {
public:
    static constexpr const wchar_t* kSkinFailureText = L"加载资源文件失败";
    static constexpr const wchar_t* kSkinFailureCaption = L"错误";
    static constexpr UINT kSkinFailureExitCode = 1;

    WindowImplBase() = default;

    UINT ClassStyle() const override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND window) override;
    virtual ~WindowImplBase() = default;

    virtual void OnSkinBuilt();
    virtual void OnClick(NotifyMsg& msg);
    virtual const wchar_t* SkinFolder() const = 0;
    virtual const wchar_t* SkinFile() const = 0;
    // Return and Escape as seen by the pre-filter; true would mean "the window took it".
    virtual bool HandleDefaultKey(WPARAM key);
    virtual int SkinSource() const;
    virtual const wchar_t* SkinArchiveFileName() const;
    // A resource name, or an integer id made with MAKEINTRESOURCEW.
    virtual const wchar_t* SkinResourceId() const;

    // Message handlers: each may clear `handled` to let the message go on (see HandleMessage).
    virtual LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcActivate(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcCalcSize(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcPaint(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnGetMinMaxInfo(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnMouseWheel(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnMouseHover(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnChar(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnCreate(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnKeyDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnKillFocus(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnSetFocus(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnLButtonDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnLButtonUp(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnMouseMove(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT HandleOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    // The current style without the caption bits: the skin draws its own caption.
    virtual DWORD WindowStyle() const;

    // INotifyUI: every notification of the host goes through the notify maps.
    void HandleNotification(NotifyMsg& msg) override;
    // IMessageFilterUI: Return and Escape are shown to HandleDefaultKey but never claimed.
    LRESULT FilterMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    // IDialogBuilderCallback: no custom controls.
    CControlUI* CreateCustomControl(const wchar_t* className) override;

    const NotifyMap* OwnNotifyMap() const override;
    static const NotifyMap* ClassNotifyMap();

    CWindowHostUI& Host() { return host; }

    using MessageHandler = LRESULT (WindowImplBase::*)(UINT, WPARAM, LPARAM, bool&);
    struct MessageHandlerEntry {
        UINT message;
        MessageHandler handler;
    };

    // A class's message table: its entries (closed by a {0, nullptr} entry) and a link to its
    // base class's table, as the notify maps have. A derived window lists what it handles
    // differently; everything else is found further down the chain, and one handler runs.
    struct MessageTable {
        const MessageTable* (*baseTable)();  // null at the root of the chain
        const MessageHandlerEntry* entries;
    };
    virtual const MessageTable* OwnMessageTable() const;
    static const MessageTable* ClassMessageTable();

    // Member handlers of derived classes are stored as handlers of the base; the cast keeps the
    // adjustment to the derived object.
    template <typename Derived>
    static MessageHandler AsWindowHandler(LRESULT (Derived::*handler)(UINT, WPARAM, LPARAM, bool&)) {
        return static_cast<MessageHandler>(handler);
    }

protected:
    // The handler of `message` in a table closed by a {0, nullptr} entry, or null.
    static MessageHandler FindHandler(const MessageHandlerEntry* table, UINT message);
    // The first handler of the message along the table chain, HandleOtherMessage, the host,
    // then the previous window procedure: each of them sees a message at most once.
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    // The skin's caption rectangle holds the point and a control other than those listed
    // (compared without case) is under it. `clientPoint` is in client coordinates.
    bool IsCaptionPoint(POINT clientPoint, const wchar_t* const* clickableClasses, int count,
                        bool ignoreCase);
    // A rounded-rectangle region of the window's size (one pixel larger on the right and at
    // the bottom, as the region excludes those edges) with the skin's corner size.
    void ApplyRoundRegion();

    CWindowHostUI host;

private:

    // OnCreate's steps after the style change.
    bool LoadSkinArchiveResource();
    CControlUI* BuildSkin();
    void ShowSkinFailureAndExit();
    // Shows "maxbtn" or "restorebtn" after the maximised state changed.
    void SyncMaximizeButtons(bool wasMaximized);
};
