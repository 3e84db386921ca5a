#pragma once
// CWindowHostUI: the per-window manager of the UI framework. One instance belongs to each
// skinned top-level window; it owns the control tree and routes messages, painting, timers,
// focus and shared resources for that window. The class is implemented across several files
// of ui/core/ by concern (window_host*.cpp).

#include <windows.h>

#include <commctrl.h>

#include "ui/accessibility/accessible_bridge.h"
#include "ui/core/owned_window.h"
#include "ui/core/window_host_types.h"
#include "ui/draw/gdi_objects.h"
#include "ui/draw/loaded_image.h"
#include "ui/draw/paint_buffer.h"
#include "ui/util/dpi_scale.h"
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

// Settings of the drop-shadow window, read from the skin's Window element. The shadow window
// itself is not part of this framework yet; the host only keeps what the skin asked for.
struct DropShadowSettings {
    int size = 0;
    int sharpness = 0;
    int darkness = 0;
    POINT position = {0, 0};
    DWORD color = 0;
    RECT corner = {0, 0, 0, 0};
    CWideString image;
    bool show = false;
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
    // What screen readers see of the window: its answer to WM_GETOBJECT and its events.
    CAccessibleBridge& Accessibility() { return m_accessible; }

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
    // The colours are those of the top host of the resource chain.
    DWORD DisabledFontColor() const { return TopHost()->m_disabledFontColor; }
    DWORD DefaultFontColor() const { return TopHost()->m_defaultFontColor; }
    DWORD LinkFontColor() const { return TopHost()->m_linkFontColor; }
    DWORD LinkHoverFontColor() const { return TopHost()->m_linkHoverFontColor; }
    DWORD SelectedColor() const { return TopHost()->m_selectedColor; }
    void SetDisabledFontColor(DWORD color) { m_disabledFontColor = color; }
    void SetDefaultFontColor(DWORD color) { m_defaultFontColor = color; }
    void SetLinkFontColor(DWORD color) { m_linkFontColor = color; }
    void SetLinkHoverFontColor(DWORD color) { m_linkHoverFontColor = color; }
    void SetSelectedColor(DWORD color) { m_selectedColor = color; }
    // The first list stored for a class name wins; later ones are dropped. Lookups search up
    // the resource chain.
    void SetClassDefaults(const wchar_t* className, const wchar_t* list);
    const wchar_t* ClassDefaults(const wchar_t* className);
    void ClearClassDefaults();

    // ---- Resource chain (window_host_resources.cpp) ----
    // A host whose fonts, class defaults and colours this one falls back to. A parent that
    // would close a loop is refused (false).
    bool SetResourceParent(CWindowHostUI* parent);
    CWindowHostUI* ResourceParent() const { return m_resourceParent; }

    // ---- Fonts (window_host_fonts.cpp) ----
    // Bold adds 700 to the stock GUI font's weight. Face names longer than 31 characters are cut.
    // A font that cannot be created leaves the default font as it was.
    void ReplaceDefaultFont(const wchar_t* name, int size, bool bold, bool underline, bool italic);
    // Appends a font to the indexed table; its index is its position. Null on failure.
    HFONT AddCustomFont(const wchar_t* name, int size, bool bold, bool underline, bool italic);
    // Out-of-range indexes select the default font.
    HFONT FontAt(int index);
    // Exact match of face name (case-sensitive), size and flags, searched up the chain.
    HFONT FindFont(const wchar_t* name, int size, bool bold, bool underline, bool italic);
    // Records come with their metrics, computed on first use.
    const FontRecord& FontInfoAt(int index);
    const FontRecord& FontInfoOf(HFONT font);
    // The top host's default font.
    const FontRecord& DefaultFontInfo();
    int CustomFontCount() const { return m_customFonts.GetSize(); }
    void ClearFonts();

    // ---- Image cache (window_host_images.cpp) ----
    // The decoder the cache calls on a miss; without one nothing can be cached.
    void SetImageLoader(SkinImageLoader loader);
    // The cached image under the name, decoding and caching it on a miss. Only this host's cache
    // is consulted; the type and mask of later requests are ignored once a name is cached. A
    // name that failed is not tried again until the resources change (see IsKnownUnreadable).
    LoadedImage* ImageFor(const wchar_t* name, const wchar_t* resourceType, DWORD mask);
    // Failed reads of images and animations, remembered per host so that a missing or broken
    // file in a skin costs one read, not one per paint. Forgotten when the resource folder or
    // skin archive changes, the decoder changes, or the images are cleared.
    bool IsKnownUnreadable(const wchar_t* name, bool animation);
    void RememberUnreadable(const wchar_t* name, bool animation);
    // Decodes and caches; null when decoding fails (nothing is remembered, the next request
    // tries again) or the name is cached already. With a resource type the name must start
    // with a decimal digit: its value's low 16 bits are the resource identifier.
    LoadedImage* CacheImage(const wchar_t* name, const wchar_t* resourceType, DWORD mask);
    void ClearImages();

    // ---- Groups (window_host_groups.cpp) ----
    // False when the control is a member already or memory runs out.
    bool AddToGroup(const wchar_t* group, CControlUI* control);
    // An emptied group disappears.
    void RemoveFromGroup(const wchar_t* group, CControlUI* control);
    PointerArray* GroupMembers(const wchar_t* group);
    void ClearGroups();

    // ---- Window-level settings (window_host_settings.cpp) ----
    // The setters take skin pixels (96 DPI); the getters answer device pixels at the host's DPI,
    // so a DPI change re-scales them without the skin being read again.
    SIZE StartSize() const { return dpi::ScaleSize(m_startSize, m_dpi); }
    RECT SizeBox() const { return dpi::ScaleRect(m_sizeBox, m_dpi); }
    RECT CaptionRect() const { return dpi::ScaleRect(m_captionRect, m_dpi); }
    SIZE RoundCorner() const { return dpi::ScaleSize(m_roundCorner, m_dpi); }
    SIZE MinTrackSize() const { return dpi::ScaleSize(m_minTrackSize, m_dpi); }
    SIZE MaxTrackSize() const { return dpi::ScaleSize(m_maxTrackSize, m_dpi); }
    bool UsesGdiplusText() const { return m_gdiplusText; }
    // Resizes the window at once (scaled) while no root is attached, so it takes the skin's size
    // before it is first shown; afterwards only records the size.
    void SetStartSize(int cx, int cy);
    void SetSizeBox(const RECT& rc) { m_sizeBox = rc; }
    void SetCaptionRect(const RECT& rc) { m_captionRect = rc; }
    void SetRoundCorner(int cx, int cy) { m_roundCorner = {cx, cy}; }
    void SetMinTrackSize(int cx, int cy) { m_minTrackSize = {cx, cy}; }
    void SetMaxTrackSize(int cx, int cy) { m_maxTrackSize = {cx, cy}; }
    void SetGdiplusText(bool on) { m_gdiplusText = on; }
    // WM_GETMINMAXINFO: the positive track sizes replace Windows' limits.
    void ApplyTrackSizes(MINMAXINFO* info) const;
    DropShadowSettings& DropShadow() { return m_dropShadow; }

    // ---- Display scale (window_host_dpi.cpp) ----
    // The DPI the host scales skin lengths to: its window's when it has one (read when the
    // window is attached), else 96.
    int Dpi() const { return m_dpi; }
    // Skin pixels to device pixels at the host's DPI.
    int Scale(int length) const { return dpi::ScaleLength(length, m_dpi); }
    // Moves the host to another DPI: fonts are made again at their new heights, images are
    // decoded again (a variant drawn for the new scale may fit better), every control takes its
    // skin lengths again at the new scale, and the tree is laid out and repainted. Texts,
    // values and states stay as they are. Nothing happens when the DPI is the current one.
    void ChangeDpi(int dpi);

    // ---- Painting settings: store-only until the painting code lands ----

    // ---- Process-wide resource location (shared by every host of the process) ----
    static void SetModuleInstance(HINSTANCE instance);
    static HINSTANCE ModuleInstance();
    static HINSTANCE ResourceModule();
    static CWideString ExecutableFolder();
    static void SetResourceFolder(const wchar_t* path);
    static const CWideString& ResourceFolder();
    // Changes whenever the resource folder or the skin archive does.
    static unsigned ResourceGeneration();
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

    // ---- Message-loop stage, offered every queued message before translation ----
    // Returns true when the message was consumed and must not be dispatched.
    static bool FilterQueuedMessage(MSG* msg);

private:
    void DeleteDeferredControls();
    void RouteTimer(WPARAM wParam);
    TimerEntry* FindTimer(CControlUI* control, UINT localId) const;
    bool NextNativeTimerId(UINT& id);
    void CreateDefaultFont();
    // The end of the resource chain (this host when it has no parent).
    const CWindowHostUI* TopHost() const;
    CWindowHostUI* TopHost();
    void ComputeMetrics(FontRecord& record) const;
    FontRecord* OwnFontRecord(HFONT font) const;
    FontRecord* OwnFontRecord(const wchar_t* name, int size, bool bold, bool underline, bool italic) const;
    // The WM_GETMINMAXINFO row of the message table (never consumes the message).
    bool OnGetMinMaxInfo(WPARAM wParam, LPARAM lParam, LRESULT& result);

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

    // Message rows: true when consumed.
    bool OnPaint(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnPrintClient(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnSysCommand(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnDpiChanged(WPARAM wParam, LPARAM lParam, LRESULT& result);
    void RescaleFonts();
    void RescaleTree();
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
    // Outlives the tree, whose controls tell it of their end while the host deletes them.
    CAccessibleBridge m_accessible{this};
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

    // ---- Shared resources: resource chain, fonts, images, groups ----
    CWindowHostUI* m_resourceParent = nullptr;
    PointerArray m_customFonts;     // FontRecord*, owned
    StringPointerMap m_images{83};  // LoadedImage*, owned
    StringPointerMap m_unreadable{83};  // names whose read failed; no values
    unsigned m_unreadableGeneration = 0;  // the ResourceGeneration() they were recorded in
    SkinImageLoader m_imageLoader = nullptr;
    StringPointerMap m_groups{83};  // PointerArray*, owned

    // ---- Window-level settings ----
    SIZE m_startSize = {0, 0};
    RECT m_sizeBox = {0, 0, 0, 0};
    RECT m_captionRect = {0, 0, 0, 0};
    SIZE m_roundCorner = {0, 0};
    SIZE m_minTrackSize = {0, 0};
    SIZE m_maxTrackSize = {0, 0};
    bool m_gdiplusText = false;
    DropShadowSettings m_dropShadow;
    int m_dpi = dpi::kSkinDpi;
    // The default font came from the skin (its size is in skin pixels and scales with the DPI).
    bool m_skinDefaultFont = false;

    CGdiplusSession m_gdiplus;

    // ==== Painting state ====
    // Declared last: destroyed first (tooltip, then the buffers), before the window DC above.
    int m_layoutDepth = 0;
    RECT m_pendingRepaint = {0, 0, 0, 0};
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
