// CNotifyPump: the table search behind a window's notification handlers.

#include "ui/core/notify_pump.h"

#include <cwchar>

#include "ui/controls/control.h"

namespace {

const NotifyMapEntry kPumpEntries[] = {
    {L"", L"", NotifyHandlerEnd, nullptr, nullptr},
};

const NotifyMap kPumpMap = {nullptr, kPumpEntries};

// An entry naming the sender wins at once; otherwise the last entry for any control does.
const NotifyMapEntry* FindEntry(const NotifyMapEntry* entries, const NotifyMsg& msg,
                                const CWideString& sender) {
    const NotifyMapEntry* anyControl = nullptr;
    for (const NotifyMapEntry* entry = entries; entry->kind != NotifyHandlerEnd; ++entry) {
        if (msg.type != entry->type) {
            continue;
        }
        if (entry->controlName[0] == L'\0') {
            anyControl = entry;
        } else if (sender == entry->controlName) {
            return entry;
        }
    }
    return anyControl;
}

}  // namespace

const NotifyMap* CNotifyPump::ClassNotifyMap() {
    return &kPumpMap;
}

const NotifyMap* CNotifyPump::OwnNotifyMap() const {
    return ClassNotifyMap();
}

bool CNotifyPump::DispatchNotify(NotifyMsg& msg) {
    if (!msg.virtualWindow.IsEmpty() && DispatchToVirtualPumps(msg)) {
        return true;
    }
    return DispatchByMaps(msg);
}

bool CNotifyPump::DispatchToVirtualPumps(NotifyMsg& msg) {
    for (int i = 0; i < virtualPumps.GetSize(); ++i) {
        const wchar_t* key = virtualPumps.GetAt(i);
        if (msg.virtualWindow.CompareNoCase(key) != 0) {
            continue;
        }
        auto* pump = static_cast<CNotifyPump*>(virtualPumps.Find(key, false));
        if (pump && pump->DispatchByMaps(msg)) {
            return true;
        }
    }
    return false;
}

bool CNotifyPump::DispatchByMaps(NotifyMsg& msg) {
    const CWideString sender = msg.sender ? msg.sender->Name() : CWideString();
    for (const NotifyMap* map = OwnNotifyMap(); map; map = map->baseMap ? map->baseMap() : nullptr) {
        if (const NotifyMapEntry* entry = FindEntry(map->entries, msg, sender)) {
            Invoke(*entry, msg);
            return true;
        }
    }
    return false;
}

void CNotifyPump::Invoke(const NotifyMapEntry& entry, NotifyMsg& msg) {
    if (entry.kind == NotifyHandlerParams && entry.paramsHandler) {
        (this->*entry.paramsHandler)(msg.wParam, msg.lParam);
    } else if (entry.kind == NotifyHandlerMessage && entry.messageHandler) {
        (this->*entry.messageHandler)(msg);
    }
}

bool CNotifyPump::AddVirtualPump(const wchar_t* virtualWindow, CNotifyPump* pump) {
    if (!virtualWindow || !*virtualWindow || !pump) {
        return false;
    }
    return virtualPumps.Insert(virtualWindow, pump);
}

bool CNotifyPump::RemoveVirtualPump(const wchar_t* virtualWindow) {
    return virtualWindow && virtualPumps.Remove(virtualWindow);
}
