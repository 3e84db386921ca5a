#pragma once
// CWindowHostUI: the per-window manager of the UI framework. One instance belongs to each
// skinned top-level window; it owns the control tree and routes messages, painting, timers,
// focus and shared resources for that window. The class is implemented across several files
// of ui/core/ by concern (window_host*.cpp).

#include <windows.h>

#include "ui/core/window_host_types.h"
#include "ui/draw/gdi_objects.h"
#include "ui/util/pointer_array.h"
#include "ui/util/string_pointer_map.h"
#include "ui/util/wide_string.h"

class CZipArchive;
class CControlUI;

// One font of a host. The handle is owned by the host that holds the record.
struct FontRecord {
    HFONT font = nullptr;
    CWideString faceName;
    int size = 0;
    bool bold = false;
    bool underline = false;
    bool italic = false;
    TEXTMETRICW metrics = {};  // tmHeight 0: not computed yet
};

// A control timer multiplexed onto a native timer of the host's window.
struct TimerEntry {
    CControlUI* control = nullptr;
    UINT localId = 0;
    HWND window = nullptr;
    UINT nativeId = 0;
    bool stopped = false;
};

class CWindowHostUI {
public:
    // Posted to the window to delete the controls queued by DeferDelete.
    static constexpr UINT kDeferredDeleteMessage = WM_APP + 1;
    // Native timer id of the painted caret; control timers never get it.
    static constexpr UINT kCaretTimerId = 241;

    CWindowHostUI();
    ~CWindowHostUI();
    CWindowHostUI(const CWindowHostUI&) = delete;
    CWindowHostUI& operator=(const CWindowHostUI&) = delete;

    // ---- Window and control tree ----
    // Binds the host to its window, takes the window DC and joins the process-wide host list.
    void AttachWindow(HWND window);
    HWND WindowHandle() const { return m_window; }
    HDC PaintDC() const { return m_paintDC.Get(); }
    CControlUI* Root() const { return m_root; }
    // Installs a new root; the old tree is deleted later through the deferred-delete queue.
    bool AttachRoot(CControlUI* control);
    // Attaches this host to a subtree (initialising it) and registers its names.
    bool InitTree(CControlUI* control, CControlUI* parent = nullptr);
    // Maps every non-empty name of the subtree to its control; the last one searched wins.
    void RegisterNames(CControlUI* subtree);
    CControlUI* FindControlByName(const wchar_t* name);
    // Moves a registered control to its new name. Nothing when the map does not hold the old
    // name for this control (never registered, or another control registered later won it).
    void RenameControl(CControlUI* control, const wchar_t* previousName);
    // Top-most visible, mouse-enabled control under the point (client coordinates).
    CControlUI* FindControlAt(POINT point) const;
    // Detaches the control and deletes it when the posted kDeferredDeleteMessage arrives.
    bool DeferDelete(CControlUI* control);
    // Drops every reference to a control that is about to die (no focus events).
    void ForgetControl(CControlUI* control);
    // True when the host consumed the message; `result` is written only where it matters.
    bool ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Every host that has a window, in order of attaching.
    static const PointerArray& AttachedHosts();

    // ---- Invalidation and layout scheduling ----
    void InvalidateArea(const RECT& rc);
    void RequestLayout() { m_updateNeeded = true; }
    bool IsUpdateNeeded() const { return m_updateNeeded; }
    bool AddAfterPaint(CControlUI* control);
    bool RemoveAfterPaint(CControlUI* control);
    const PointerArray& AfterPaintControls() const { return m_afterPaint; }

    // ---- Focus ----
    CControlUI* FocusedControl() const { return m_focus; }
    void SetFocusControl(CControlUI* control);

    // ---- Notifications ----
    void SendNotification(CControlUI* control, const wchar_t* type, WPARAM wParam = 0, LPARAM lParam = 0);
    void SendNotification(NotifyMsg& msg);
    bool AddNotifyListener(INotifyUI* listener);
    bool RemoveNotifyListener(INotifyUI* listener);
    void SetUsesVirtualWindows() { m_usesVirtualWindows = true; }
    bool UsesVirtualWindows() const { return m_usesVirtualWindows; }
    POINT LastMousePoint() const { return m_lastMousePoint; }

    // ---- Control timers ----
    bool StartTimer(CControlUI* control, UINT localId, UINT elapse);
    bool StopTimer(CControlUI* control, UINT localId);
    void StopTimersOf(CControlUI* control);
    void StopAllTimers();

    // ---- Shared resources: default colours, default font, class defaults ----
    DWORD DisabledFontColor() const { return m_disabledFontColor; }
    DWORD DefaultFontColor() const { return m_defaultFontColor; }
    DWORD LinkFontColor() const { return m_linkFontColor; }
    DWORD LinkHoverFontColor() const { return m_linkHoverFontColor; }
    DWORD SelectedColor() const { return m_selectedColor; }
    void SetDisabledFontColor(DWORD color) { m_disabledFontColor = color; }
    void SetDefaultFontColor(DWORD color) { m_defaultFontColor = color; }
    void SetLinkFontColor(DWORD color) { m_linkFontColor = color; }
    void SetLinkHoverFontColor(DWORD color) { m_linkHoverFontColor = color; }
    void SetSelectedColor(DWORD color) { m_selectedColor = color; }
    // The default font with its metrics (computed on first use through the window DC).
    const FontRecord& DefaultFontInfo();
    // The first list stored for a class name wins; later ones are dropped.
    void SetClassDefaults(const wchar_t* className, const wchar_t* list);
    const wchar_t* ClassDefaults(const wchar_t* className);
    void ClearClassDefaults();

    // ---- Process-wide resource location (shared by every host of the process) ----
    static void SetModuleInstance(HINSTANCE instance);
    static HINSTANCE ModuleInstance();
    static HINSTANCE ResourceModule();
    static CWideString ExecutableFolder();
    static void SetResourceFolder(const wchar_t* path);
    static const CWideString& ResourceFolder();
    static void UseSkinArchiveMemory(const void* data, unsigned size);
    static void UseSkinArchiveFile(const wchar_t* archiveFileName);
    static const CWideString& SkinArchiveName();
    static bool IsSkinArchiveKept();
    static CZipArchive* KeptSkinArchive();

    // ---- Input: mouse capture and message filters ----
    // SetCapture/ReleaseCapture on the window, remembered so WM_SETCURSOR leaves the cursor alone.
    void CaptureMouse();
    void ReleaseMouse();
    bool IsMouseCaptured() const { return m_mouseCaptured; }
    // Consulted by ProcessMessage, in order of adding; one that sets `handled` consumes the message.
    bool AddFilter(IMessageFilterUI* filter);
    bool RemoveFilter(IMessageFilterUI* filter);
    CControlUI* HoverControl() const { return m_hover; }
    CControlUI* PressedControl() const { return m_pressed; }

    // ---- Keyboard navigation ----
    // Chooses the focus after the next layout, starting from the control (see the focus step).
    void FocusAfterLayout(CControlUI* control);
    // Moves the focus to the next (or previous) tab stop, wrapping around. Always true.
    bool TabToNext(bool forward);
    // A focus is to be chosen once layout has run; the paint pass asks for it with RunFocusStep.
    bool IsFocusNeeded() const { return m_focusNeeded; }
    // The pending focus choice, run by the paint pass right after layout.
    void RunFocusStep();
    // The message-loop stage of this host's window: pre-filters, Tab, system keys, Alt shortcuts.
    bool PreTranslate(UINT message, WPARAM wParam, LPARAM lParam);
    bool AddPreFilter(IMessageFilterUI* filter);
    bool RemovePreFilter(IMessageFilterUI* filter);
    bool AddShortcutTranslator(ITranslateAccelerator* translator);
    bool RemoveShortcutTranslator(ITranslateAccelerator* translator);

    // ---- Message-loop stage, offered every queued message before translation ----
    // Returns true when the message was consumed and must not be dispatched.
    static bool FilterQueuedMessage(MSG* msg);

private:
    void DeleteDeferredControls();
    void RouteTimer(WPARAM wParam);
    TimerEntry* FindTimer(CControlUI* control, UINT localId) const;
    bool NextNativeTimerId(UINT& id);
    void CreateDefaultFont();

    // ---- Input: message rows and delivery guards ----
    // One delivery in progress (a message, a focus move, a notification). Guards form a stack
    // on the host; the host's destructor and ForgetControl mark them, so code that hands out
    // several events in a row learns after each one whether the host, or the control it is
    // about, still exists. Handlers may delete their control, or close the window and with it
    // the host, and the host must not touch either afterwards.
    class DeliveryGuard {
    public:
        explicit DeliveryGuard(CWindowHostUI* host, CControlUI* control = nullptr);
        ~DeliveryGuard();
        DeliveryGuard(const DeliveryGuard&) = delete;
        DeliveryGuard& operator=(const DeliveryGuard&) = delete;
        bool HostAlive() const { return m_host != nullptr; }
        // The watched control; null once it died or the host died.
        CControlUI* Control() const { return m_host ? m_control : nullptr; }

    private:
        friend class CWindowHostUI;
        CWindowHostUI* m_host;
        CControlUI* m_control;
        DeliveryGuard* m_outer;
    };
    using MessageRow = bool (CWindowHostUI::*)(WPARAM wParam, LPARAM lParam, LRESULT& result);
    struct MessageTableEntry {
        UINT message;
        MessageRow row;
    };
    static const MessageTableEntry kMessageTable[];
    // Hands the event to the control; true when the host is still alive afterwards.
    bool Deliver(CControlUI* target, UIEvent& event);
    UIEvent MakeEvent(int type, CControlUI* sender, POINT point) const;
    // The key state word: buttons, Shift, Ctrl and Alt as they are now.
    static WORD CurrentKeyState();
    // The hit control at a point, or null; `foreign` is set when it belongs to another host.
    CControlUI* HitOwnControl(POINT point, bool& foreign) const;
    void TrackMouseLeaveAndHover();
    bool OnMouseMove(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnMouseHover(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnMouseLeave(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnButtonDown(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnDoubleClick(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnButtonUp(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnRightButtonDown(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnContextMenu(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnMouseWheel(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnSetCursor(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnKeyDown(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnKeyUp(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnChar(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnSize(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnClose(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnEraseBackground(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnTimer(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnDeferredDelete(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnNotify(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnEditColor(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnStaticColor(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool ReflectToChild(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The first steps of the three press rows: native focus, then the hit control (or null).
    CControlUI* PressTarget(LPARAM lParam);
    bool PressControl(CControlUI* control, int type, WPARAM wParam, LPARAM lParam);
    // Events of mouse-button messages carry the message's MK_ flags as their key state.
    UIEvent MakeButtonEvent(int type, CControlUI* control, WPARAM wParam, LPARAM lParam) const;
    void SendKeyEvent(CControlUI* target, int type, WPARAM wParam);
    bool DropFocus(CControlUI* successor);
    // Searches for the tab stop after (or before) `from`; null when there is none.
    CControlUI* FindTabStop(CControlUI* from, bool forward, CControlUI** last) const;
    // Alt + character: the control the shortcut leads to, or null.
    CControlUI* FindShortcutTarget(wchar_t key) const;
    // Offers the message to the shortcut translators; true when one translated it, or when the
    // host died meanwhile.
    bool RunTranslators(MSG* msg);
    // Offers a message to filters in order; true when one handled it (its result is stored), or
    // when the host died meanwhile.
    bool OfferToFilters(const PointerArray& filters, UINT message, WPARAM wParam, LPARAM lParam,
                        LRESULT& result);

    DeliveryGuard* m_guards = nullptr;
    bool m_mouseTracking = false;
    bool m_mouseCaptured = false;
    PointerArray m_filters;
    PointerArray m_preFilters;
    PointerArray m_translators;
    // ---- end of input ----

    HWND m_window = nullptr;
    CWindowDC m_paintDC;
    CControlUI* m_root = nullptr;
    bool m_ownsRoot = false;
    CControlUI* m_focus = nullptr;
    CControlUI* m_hover = nullptr;
    CControlUI* m_pressed = nullptr;
    CControlUI* m_keyTarget = nullptr;
    POINT m_lastMousePoint = {-1, -1};
    bool m_firstLayout = true;
    bool m_updateNeeded = false;
    bool m_focusNeeded = false;
    bool m_usesVirtualWindows = false;
    PointerArray m_listeners;
    PointerArray m_deferredDeletes;
    PointerArray m_afterPaint;
    StringPointerMap m_controlsByName{83};
    PointerArray m_timers;
    UINT m_timerCounter = 0x1000;
    DWORD m_disabledFontColor = 0xFFA7A6AA;
    // Not pure black: text in this colour survives the alpha repair of layered painting.
    DWORD m_defaultFontColor = 0xFF000001;
    DWORD m_linkFontColor = 0xFF0000FF;
    DWORD m_linkHoverFontColor = 0xFFD3215F;
    DWORD m_selectedColor = 0xFFBAE4FF;
    FontRecord m_defaultFont;
    CGdiObject<HFONT> m_defaultFontOwner;
    StringPointerMap m_classDefaults{83};
    CGdiplusSession m_gdiplus;
};
