#pragma once
// The end of the update window's first complete paint: the moment a fresh updater has shown the
// user what they wait for. Work the user cannot see waits until then, and a benchmark that
// started the process learns of it through a named event.

// Names the event (created by whoever started the process) that the first paint signals.
constexpr wchar_t kFirstPaintEventVariable[] = L"UPDATER_FIRST_PAINT_EVENT";

// Signals the event named by the environment variable above, when it is set and exists.
void SignalFirstPaint();
