#pragma once
// CWindowHostUI: the per-window manager of the UI framework. One instance belongs to each
// skinned top-level window; it owns the control tree and routes messages, painting, timers,
// focus and shared resources for that window. The class is implemented across several files
// of ui/core/ by concern (window_host*.cpp).

#include <windows.h>

#include "ui/draw/gdi_objects.h"
#include "ui/core/window_host_types.h"
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

    // ---- Message-loop stage, offered every queued message before translation ----
    // Returns true when the message was consumed and must not be dispatched.
    static bool FilterQueuedMessage(MSG* msg);

private:
    void DeleteDeferredControls();
    void RouteTimer(WPARAM wParam);
    TimerEntry* FindTimer(CControlUI* control, UINT localId) const;
    bool NextNativeTimerId(UINT& id);
    void CreateDefaultFont();

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
