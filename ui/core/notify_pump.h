#pragma once
// CNotifyPump: routes a window's notifications to its member handlers through static tables.
// Each class that handles notifications owns one NotifyMap (its entries plus a link to its base
// class's map), so a derived window extends or overrides its base's routing without a switch.
// Notifications of controls that belong to a virtual window go to the pump registered for
// that window first.

#include "ui/core/window_host_types.h"
#include "ui/util/string_pointer_map.h"

class CNotifyPump;

// Handler kinds of a map entry; End closes a table.
enum NotifyHandlerKind {
    NotifyHandlerEnd = 0,
    NotifyHandlerParams = 1,   // handler(wParam, lParam)
    NotifyHandlerMessage = 2,  // handler(notification)
};

using NotifyParamsHandler = void (CNotifyPump::*)(WPARAM wParam, LPARAM lParam);
using NotifyMessageHandler = void (CNotifyPump::*)(NotifyMsg& msg);

struct NotifyMapEntry {
    const wchar_t* type;         // compared exactly
    const wchar_t* controlName;  // empty: any control
    NotifyHandlerKind kind;
    NotifyParamsHandler paramsHandler;    // kind NotifyHandlerParams
    NotifyMessageHandler messageHandler;  // kind NotifyHandlerMessage
};

struct NotifyMap {
    const NotifyMap* (*baseMap)();  // null at the root of the chain
    const NotifyMapEntry* entries;  // closed by a NotifyHandlerEnd entry
};

// Member handlers of derived classes are stored as handlers of the pump; the cast keeps the
// adjustment to the derived object, so a handler always runs on the object that owns the map.
template <typename Derived>
NotifyMessageHandler AsMessageHandler(void (Derived::*handler)(NotifyMsg&)) {
    return static_cast<NotifyMessageHandler>(handler);
}
template <typename Derived>
NotifyParamsHandler AsParamsHandler(void (Derived::*handler)(WPARAM, LPARAM)) {
    return static_cast<NotifyParamsHandler>(handler);
}

class CNotifyPump {
public:
    CNotifyPump() = default;
    virtual ~CNotifyPump() = default;
    CNotifyPump(const CNotifyPump&) = delete;
    CNotifyPump& operator=(const CNotifyPump&) = delete;

    virtual const NotifyMap* OwnNotifyMap() const;
    static const NotifyMap* ClassNotifyMap();

    // Routes the notification to the pump of its virtual window, else to this object's maps.
    // False when no table has an entry for it.
    bool DispatchNotify(NotifyMsg& msg);

    // The pump must outlive its registration; it is not owned. False when the name is empty,
    // taken already or memory runs out.
    bool AddVirtualPump(const wchar_t* virtualWindow, CNotifyPump* pump);
    bool RemoveVirtualPump(const wchar_t* virtualWindow);

private:
    bool DispatchToVirtualPumps(NotifyMsg& msg);
    // Searches this object's map chain; false when no table yields an entry.
    bool DispatchByMaps(NotifyMsg& msg);
    void Invoke(const NotifyMapEntry& entry, NotifyMsg& msg);

    StringPointerMap virtualPumps{83};
};
