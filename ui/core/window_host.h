#pragma once
// CWindowHostUI: the per-window manager of the UI framework. One instance belongs to each
// skinned top-level window; it owns the control tree and routes messages, painting, timers,
// focus and shared resources for that window. The class is implemented across several files
// of ui/core/ by concern (window_host*.cpp).

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include "ui/core/owned_window.h"
#include "ui/core/window_host_types.h"
#include "ui/draw/gdi_objects.h"
#include "ui/draw/paint_buffer.h"
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

    // ==== Painting, layered windows, tooltips and the painted caret ====
    // (window_host_paint.cpp, window_host_layered.cpp, window_host_tooltip.cpp,
    // window_host_caret.cpp)

    // Open while a subtree is being placed: the repaint areas of the placements are collected
    // and handed to the window as one rectangle when the outermost pass ends, instead of one
    // InvalidateRect per placed control. Passes nest.
    class LayoutPass {
    public:
        explicit LayoutPass(CWindowHostUI* host) : m_host(host) {
            if (m_host) {
                ++m_host->m_layoutDepth;
            }
        }
        ~LayoutPass() {
            if (m_host) {
                m_host->EndLayoutPass();
            }
        }
        LayoutPass(const LayoutPass&) = delete;
        LayoutPass& operator=(const LayoutPass&) = delete;

    private:
        CWindowHostUI* m_host;
    };

    bool IsLayeredPaint() const { return m_layeredPaint; }
    // "bktrans": paint through a 32-bit DIB pushed with UpdateLayeredWindow.
    void SetLayeredPaint(bool on);
    bool ShowsDirtyRects() const { return m_showDirty; }
    // "showdirty": outline every painted rectangle.
    void SetShowDirty(bool on) { m_showDirty = on; }
    // Whole-window alpha 0..255; any other value removes the layered style.
    void SetTransparency(int alpha);
    // The buffers as the last paint left them (null before the first paint of their path),
    // for diagnostics and tests.
    HDC OffscreenDC() const { return m_offscreen.DC(); }
    HBITMAP OffscreenBitmap() const { return m_offscreen.Bitmap(); }
    const DWORD* LayerBits() const { return m_layer.Bits(); }
    SIZE LayerSize() const { return m_layer.Size(); }

    // The tooltip of a control, shown at its rectangle; false when it has no tooltip text.
    bool ShowToolTip(CControlUI* control);
    void HideToolTip();
    HWND ToolTipWindow() const { return m_toolTip.Get(); }
    // Hover time for mouse tracking: the tooltip's initial delay once it exists, else 400 ms.
    DWORD ToolTipHoverTime() const;

    // The caret painted by the host for layered windows (a system caret cannot show on them).
    bool ShowDrawnCaret(bool show);
    bool MoveDrawnCaret(CControlUI* control, int x, int y);
    void SetDrawnCaretSize(int width, int height);
    void PaintDrawnCaret(HDC dc, const RECT& paintRect);
    const RECT& DrawnCaretRect() const { return m_caretRect; }
    // The focus choice that waits for a layout, run by the paint right after it.
    void RunFocusStep();

    // ---- Message-loop stage, offered every queued message before translation ----
    // Returns true when the message was consumed and must not be dispatched.
    static bool FilterQueuedMessage(MSG* msg);

private:
    void DeleteDeferredControls();
    void RouteTimer(WPARAM wParam);
    TimerEntry* FindTimer(CControlUI* control, UINT localId) const;
    bool NextNativeTimerId(UINT& id);
    void CreateDefaultFont();

    // ==== Painting (see the public block of the same name) ====
    // One delivery in progress. Guards form a stack on the host; the host's destructor and
    // ForgetControl mark them, so code that hands control to listeners (which may close the
    // window and with it delete the host) learns whether the host, or the control it is about,
    // still exists.
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
    // Message rows: true when consumed.
    bool OnPaint(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnPrintClient(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnSysCommand(WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The process-wide pieces painting needs, made by the first host: the "showdirty" pen,
    // the common controls (tooltips) and the image-blending module.
    static void PreparePaintingOnce();
    static HPEN DirtyOutlinePen();
    void EndLayoutPass();
    // The layout step and the focus step before a paint; false when the host died meanwhile.
    bool PrepareTree();
    void RunLayoutStep();
    void PlaceDirtyControls();
    SIZE ClientSize() const;
    // Paints the area of the client into the off-screen bitmap and copies it to the target.
    void PaintThroughOffscreen(HDC target, const RECT& area);
    void PaintTree(HDC dc, const RECT& paintRect);
    void PaintAfterList(HDC dc, const RECT& paintRect);
    void PaintNormal(const RECT& update);
    void PaintLayered(RECT update);
    void PushLayer(HDC layerDC);
    void OutlineDirtyRect(HDC dc, const RECT& update);
    void BlinkDrawnCaret();
    void HideDrawnCaretPhase();

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

    // ==== Painting state ====
    // Declared last: destroyed first (tooltip, then the buffers), before the window DC above.
    int m_layoutDepth = 0;
    RECT m_pendingRepaint = {0, 0, 0, 0};
    DeliveryGuard* m_guards = nullptr;
    bool m_layeredPaint = false;
    bool m_showDirty = false;
    bool m_repaintAllOnce = false;
    CPaintBuffer m_offscreen;
    CPaintBuffer m_layer;
    CWideString m_toolTipText;
    TOOLINFOW m_toolInfo = {};
    COwnedWindow m_toolTip;
    RECT m_caretRect = {0, 0, 0, 0};
    bool m_caretShown = false;
    bool m_caretEnabled = false;
    CControlUI* m_caretOwner = nullptr;
};
