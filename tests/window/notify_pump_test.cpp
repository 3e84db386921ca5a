// Notification routing through notify maps: exact sender entries before "any control" entries,
// the base class's table after the own one, the two handler kinds, and pumps of virtual windows.

#include <gtest/gtest.h>

#include <string>

#include "ui/controls/control.h"
#include "ui/core/notify_pump.h"

namespace {

class BasePump : public CNotifyPump {
public:
    static const NotifyMap* ClassNotifyMap();
    const NotifyMap* OwnNotifyMap() const override { return ClassNotifyMap(); }
    void OnBaseClick(NotifyMsg&) { calls += "base-click;"; }
    void OnBaseTimer(NotifyMsg&) { calls += "base-timer;"; }
    std::string calls;
};

class DerivedPump : public BasePump {
public:
    static const NotifyMap* ClassNotifyMap();
    const NotifyMap* OwnNotifyMap() const override { return ClassNotifyMap(); }
    void OnAnyClick(NotifyMsg&) { calls += "any-click;"; }
    void OnLaterAnyClick(NotifyMsg&) { calls += "later-any-click;"; }
    void OnOkClick(NotifyMsg&) { calls += "ok-click;"; }
    void OnValue(WPARAM wParam, LPARAM lParam) {
        calls += "value " + std::to_string(wParam) + " " + std::to_string(lParam) + ";";
    }
};

const NotifyMapEntry kBaseEntries[] = {
    {L"click", L"", NotifyHandlerMessage, nullptr, AsMessageHandler(&BasePump::OnBaseClick)},
    {L"timer", L"", NotifyHandlerMessage, nullptr, AsMessageHandler(&BasePump::OnBaseTimer)},
    {L"", L"", NotifyHandlerEnd, nullptr, nullptr},
};
const NotifyMap kBaseMap = {&CNotifyPump::ClassNotifyMap, kBaseEntries};

const NotifyMapEntry kDerivedEntries[] = {
    {L"click", L"", NotifyHandlerMessage, nullptr, AsMessageHandler(&DerivedPump::OnAnyClick)},
    {L"click", L"ok", NotifyHandlerMessage, nullptr, AsMessageHandler(&DerivedPump::OnOkClick)},
    {L"click", L"", NotifyHandlerMessage, nullptr, AsMessageHandler(&DerivedPump::OnLaterAnyClick)},
    {L"valuechanged", L"", NotifyHandlerParams, AsParamsHandler(&DerivedPump::OnValue), nullptr},
    {L"", L"", NotifyHandlerEnd, nullptr, nullptr},
};
const NotifyMap kDerivedMap = {&BasePump::ClassNotifyMap, kDerivedEntries};

const NotifyMap* BasePump::ClassNotifyMap() {
    return &kBaseMap;
}
const NotifyMap* DerivedPump::ClassNotifyMap() {
    return &kDerivedMap;
}

NotifyMsg Notification(const wchar_t* type, CControlUI* sender, const wchar_t* virtualWindow = L"") {
    NotifyMsg msg;
    msg.type = type;
    msg.sender = sender;
    msg.virtualWindow = virtualWindow;
    msg.wParam = 7;
    msg.lParam = 9;
    return msg;
}

}  // namespace

TEST(NotifyPumpTest, MapsPickTheExactSenderFirstThenTheLastAnyEntryThenTheBaseTable) {
    CControlUI ok;
    ok.SetName(L"ok");
    CControlUI other;
    other.SetName(L"OK");  // names compare exactly
    struct Case {
        const wchar_t* type;
        CControlUI* sender;
        bool handled;
        const char* calls;
    };
    const Case cases[] = {
        {L"click", &ok, true, "ok-click;"},
        {L"click", &other, true, "later-any-click;"},
        {L"click", nullptr, true, "later-any-click;"},
        {L"timer", &ok, true, "base-timer;"},
        {L"valuechanged", &ok, true, "value 7 9;"},
        {L"Click", &ok, false, ""},  // types compare exactly too
        {L"link", &ok, false, ""},
    };
    for (const Case& c : cases) {
        DerivedPump pump;
        NotifyMsg msg = Notification(c.type, c.sender);
        EXPECT_EQ(pump.DispatchNotify(msg), c.handled) << c.type;
        EXPECT_EQ(pump.calls, c.calls) << c.type;
    }
}

TEST(NotifyPumpTest, VirtualWindowPumpsGoFirstAndFallBackToTheOwnMaps) {
    DerivedPump owner;
    BasePump sub;
    ASSERT_TRUE(owner.AddVirtualPump(L"Sub", &sub));
    EXPECT_FALSE(owner.AddVirtualPump(L"Sub", &sub));
    CControlUI sender;
    sender.SetName(L"ok");

    NotifyMsg click = Notification(L"click", &sender, L"SUB");  // the window name compares without case
    EXPECT_TRUE(owner.DispatchNotify(click));
    EXPECT_EQ(sub.calls, "base-click;");
    EXPECT_EQ(owner.calls, "");

    NotifyMsg value = Notification(L"valuechanged", &sender, L"sub");  // the sub-pump has no entry
    EXPECT_TRUE(owner.DispatchNotify(value));
    EXPECT_EQ(owner.calls, "value 7 9;");

    ASSERT_TRUE(owner.RemoveVirtualPump(L"Sub"));
    NotifyMsg again = Notification(L"click", &sender, L"Sub");
    EXPECT_TRUE(owner.DispatchNotify(again));
    EXPECT_EQ(owner.calls, "value 7 9;ok-click;");
    EXPECT_EQ(sub.calls, "base-click;");
}
