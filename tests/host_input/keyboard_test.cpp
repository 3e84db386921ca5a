#include <gtest/gtest.h>

#include "tests/host_input/input_rig.h"

namespace {

// Lays the tree out through a real paint; false when this build has no paint pass yet (then the
// focus choice that waits for layout cannot be observed).
bool PaintOnce() {
    RedrawWindow(SharedWindow().Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return !SharedWindow().Host().IsUpdateNeeded();
}

void PostKey(UINT message, WPARAM key, bool shift = false) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    PostMessageW(SharedWindow().Handle(), message, key, 0);
    RunQueue();
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
}

const wchar_t* FocusName() {
    CControlUI* focus = SharedWindow().Host().FocusedControl();
    static CWideString name;
    name = focus ? focus->Name() : CWideString(L"-");
    return name.GetData();
}

TEST(HostKeyTest, KeyUpFollowsTheKeyDownAfterTheFocusMoved) {
    auto* a = new Probe(L"a");
    auto* b = new Probe(L"b");
    InstallRow({a, b});
    Send(WM_KEYDOWN, 'X');  // no focus: nobody hears it
    SharedWindow().Host().SetFocusControl(a);
    g_log.clear();
    Send(WM_KEYDOWN, 'K');
    EXPECT_EQ(L'K', a->last.key);
    EXPECT_EQ(nullptr, a->last.sender);
    SharedWindow().Host().SetFocusControl(b);
    Send(WM_CHAR, 'k');
    Send(WM_KEYUP, 'K');
    EXPECT_EQ((Log{L"a:keydown", L"a:lost", L"b:gained", L"b:char", L"a:keyup"}), g_log);
}

TEST(HostKeyTest, SizeEraseAndCloseRows) {
    auto* a = new Probe(L"a");
    auto* b = new Probe(L"b");
    CHorizontalLayoutUI* root = InstallRow({a, b});
    CWindowHostUI& host = SharedWindow().Host();
    host.SetFocusControl(a);
    root->SetPos(RECT{0, 0, 300, 200});
    g_log.clear();
    LRESULT result = 0;
    EXPECT_TRUE(host.ProcessMessage(WM_SIZE, 0, MAKELPARAM(300, 200), result));
    EXPECT_TRUE(root->IsUpdateNeeded());
    EXPECT_EQ(1, Send(WM_ERASEBKGND, reinterpret_cast<WPARAM>(host.PaintDC())));
    SendMouse(WM_MOUSEMOVE, 60, 5);
    SendMouse(WM_LBUTTONDOWN, 60, 5);
    g_log.clear();
    EXPECT_FALSE(host.ProcessMessage(WM_CLOSE, 0, 0, result));
    EXPECT_EQ((Log{L"b:leave", L"b:up", L"b:lost"}), g_log);
    EXPECT_EQ(nullptr, host.FocusedControl());
    host.ReleaseMouse();
}

class Swallow : public IMessageFilterUI {
public:
    LRESULT FilterMessage(UINT message, WPARAM, LPARAM, bool& handled) override {
        seen.push_back(message);
        handled = message == swallowed;
        return 77;
    }
    UINT swallowed = 0;
    std::vector<UINT> seen;
};

TEST(HostKeyTest, FiltersSeeMessagesFirst) {
    auto* a = new Probe(L"a");
    InstallRow({a});
    SharedWindow().Host().SetFocusControl(a);
    Swallow filter;
    filter.swallowed = WM_KEYDOWN;
    SharedWindow().Host().AddFilter(&filter);
    g_log.clear();
    EXPECT_EQ(77, Send(WM_KEYDOWN, 'A'));
    Send(WM_CHAR, 'a');
    EXPECT_TRUE(SharedWindow().Host().RemoveFilter(&filter));
    EXPECT_EQ(Log{L"a:char"}, g_log);
}

struct ReflectCase {
    UINT message;
    bool fromChild;
    bool consumed;
    UINT reflected;  // 0: the child hears nothing
};

LRESULT CALLBACK ChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= 0x2000 && message < 0x3000) {
        SetWindowLongPtrW(window, GWLP_USERDATA, message);
        return 5;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(HostKeyTest, ChildNotificationsAndColoursAreReflected) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ChildProc;
    wc.lpszClassName = L"ReflectChild";
    RegisterClassW(&wc);
    HWND child = CreateWindowExW(0, L"ReflectChild", L"", WS_CHILD, 0, 0, 10, 10, SharedWindow().Handle(),
                                 nullptr, nullptr, nullptr);
    const ReflectCase cases[] = {
        {WM_COMMAND, true, true, 0x2111},
        {WM_COMMAND, false, false, 0},
        {WM_NOTIFY, true, true, WM_NOTIFY + 0x2000},
        {WM_NOTIFY, false, true, 0},
        {WM_CTLCOLOREDIT, true, true, 0x2133},
        {WM_CTLCOLORSTATIC, true, true, 0x2138},
        {WM_CTLCOLORSTATIC, false, false, 0},
    };
    NMHDR header = {child, 1, 0};
    for (const ReflectCase& c : cases) {
        SetWindowLongPtrW(child, GWLP_USERDATA, 0);
        LPARAM lParam = !c.fromChild             ? 0
                        : c.message == WM_NOTIFY ? reinterpret_cast<LPARAM>(&header)
                                                 : reinterpret_cast<LPARAM>(child);
        LRESULT result = 0;
        EXPECT_EQ(c.consumed, SharedWindow().Host().ProcessMessage(c.message, 1, lParam, result))
            << c.message;
        EXPECT_EQ(c.reflected, static_cast<UINT>(GetWindowLongPtrW(child, GWLP_USERDATA))) << c.message;
        EXPECT_EQ(c.reflected ? 5 : 0, result) << c.message;
    }
    DestroyWindow(child);
}

class TabStop : public Probe {
public:
    explicit TabStop(const wchar_t* name) : Probe(name, ControlFlagTabStop) {}
};

TEST(HostTabTest, TabAndShiftTabWalkTheTabStopsAndWrap) {
    auto* off = new TabStop(L"off");
    off->SetEnabled(false);
    InstallRow({new TabStop(L"a"), new Probe(L"plain"), off, new TabStop(L"b"), new TabStop(L"c")});
    if (!PaintOnce()) {
        GTEST_SKIP() << "no paint pass in this build";
    }
    EXPECT_STREQ(L"a", FocusName());  // the first paint of a new tree focuses its first tab stop
    struct Step {
        bool shift;
        const wchar_t* focus;
    };
    const Step steps[] = {{false, L"b"}, {false, L"c"}, {false, L"a"},
                          {true, L"c"},  {true, L"b"},  {true, L"a"}};
    for (const Step& step : steps) {
        PostKey(WM_KEYDOWN, VK_TAB, step.shift);
        EXPECT_STREQ(step.focus, FocusName());
    }
}

TEST(HostTabTest, TabWithoutTabStopsOrWhileLayoutIsPending) {
    auto* plain = new Probe(L"plain");
    CHorizontalLayoutUI* root = InstallRow({plain, new TabStop(L"t")});
    CWindowHostUI& host = SharedWindow().Host();
    SharedWindow().Validate();
    host.SetFocusControl(plain);
    root->MarkDirty();
    EXPECT_TRUE(host.PreTranslate(WM_KEYDOWN, VK_TAB, 0));
    EXPECT_STREQ(L"plain", FocusName());
    EXPECT_TRUE(host.IsFocusNeeded());
    EXPECT_FALSE(IsEmpty(SharedWindow().UpdateRect()));
    if (!PaintOnce()) {
        GTEST_SKIP() << "no paint pass in this build";
    }
    EXPECT_STREQ(L"t", FocusName());
    EXPECT_FALSE(host.IsFocusNeeded());
    InstallRow({new Probe(L"x")});
    PaintOnce();
    host.SetFocusControl(nullptr);
    PostKey(WM_KEYDOWN, VK_TAB);
    EXPECT_STREQ(L"-", FocusName());
    EXPECT_FALSE(host.IsFocusNeeded());
}

TEST(HostTabTest, FocusAfterLayoutLandsOnTheControlOrTheNextTabStop) {
    auto* a = new TabStop(L"a");
    auto* plain = new Probe(L"plain");
    auto* b = new TabStop(L"b");
    InstallRow({a, plain, b});
    CWindowHostUI& host = SharedWindow().Host();
    if (!PaintOnce()) {
        GTEST_SKIP() << "no paint pass in this build";
    }
    const std::pair<CControlUI*, const wchar_t*> cases[] = {{b, L"b"}, {plain, L"b"}, {a, L"a"}};
    for (const auto& c : cases) {
        host.FocusAfterLayout(c.first);
        PaintOnce();
        EXPECT_STREQ(c.second, FocusName());
    }
}

TEST(HostShortcutTest, AltKeyThroughALabelFocusesAndActivatesTheControlBeforeIt) {
    auto* field = new Probe(L"field");
    auto* label = new Probe(L"label", 0, L"LabelUI");
    label->SetShortcut(L'n');
    InstallRow({field, label, new Probe(L"after")});
    PostKey(WM_SYSCHAR, 'N');
    EXPECT_EQ((Log{L"field:gained", L"field:activate"}), g_log);
    MSG msg = {SharedWindow().Handle(), WM_SYSCHAR, 'Q', 0, 0, {0, 0}};
    EXPECT_FALSE(CWindowHostUI::FilterQueuedMessage(&msg));  // no such shortcut
    g_log.clear();
    EXPECT_FALSE(SharedWindow().Host().PreTranslate(WM_SYSKEYDOWN, 'A', 0));
    EXPECT_EQ(Log{L"field:syskey"}, g_log);
}

class Translator : public ITranslateAccelerator {
public:
    LRESULT TranslateShortcut(MSG* msg) override { return msg->wParam == 'T' ? 0 : 1; }
};

// A key typed into a native child window runs the host's loop stage and still reaches the child.
TEST(HostShortcutTest, TranslatorsAndNativeChildren) {
    InstallRow({new Probe(L"a")});
    CWindowHostUI& host = SharedWindow().Host();
    Translator translator;
    Swallow preFilter;
    host.AddShortcutTranslator(&translator);
    host.AddPreFilter(&preFilter);
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 50, 20, SharedWindow().Handle(), nullptr,
                                nullptr, nullptr);
    MSG msg = {SharedWindow().Handle(), WM_KEYDOWN, 'T', 0, 0, {0, 0}};
    EXPECT_TRUE(CWindowHostUI::FilterQueuedMessage(&msg));
    EXPECT_TRUE(preFilter.seen.empty());
    msg = {edit, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    EXPECT_FALSE(CWindowHostUI::FilterQueuedMessage(&msg));
    EXPECT_EQ(std::vector<UINT>{WM_KEYDOWN}, preFilter.seen);
    preFilter.swallowed = WM_KEYDOWN;
    msg.hwnd = SharedWindow().Handle();
    EXPECT_TRUE(CWindowHostUI::FilterQueuedMessage(&msg));
    host.RemovePreFilter(&preFilter);
    host.RemoveShortcutTranslator(&translator);
    DestroyWindow(edit);
}

}  // namespace
