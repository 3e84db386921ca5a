// The first-paint signal. Reading one environment variable costs nothing measurable, and a
// process started without it (every real update) opens no event.

#include "updater/first_paint.h"

#include <windows.h>

#include "ui/util/unique_handle.h"

void SignalFirstPaint() {
    wchar_t name[128];
    const DWORD length = GetEnvironmentVariableW(kFirstPaintEventVariable, name, ARRAYSIZE(name));
    if (length == 0 || length >= ARRAYSIZE(name)) return;
    const UniqueHandle event(OpenEventW(EVENT_MODIFY_STATE, FALSE, name));
    if (event) SetEvent(event.Get());
}
