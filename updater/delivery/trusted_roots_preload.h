#pragma once
// Loads the user's trusted roots on a thread of its own from the start of the process, so that
// the first certificate check of an HTTPS update does not pay for it after the handshake. Under
// Wine, opening the root store reads every certificate the host system trusts (about 0.3 s);
// the window is built and painted meanwhile. Nothing is checked or trusted here: the check
// builds and judges its chain exactly as before, the roots merely already loaded.

#include <string>

// Starts the load when `url` is an HTTPS URL; does nothing otherwise or when called again.
void StartTrustedRootsPreload(const std::wstring& url);

// Waits (at most a few seconds) for a load that StartTrustedRootsPreload started, so that the
// check does not open the roots a second time alongside it. Returns at once when none runs.
void AwaitTrustedRootsPreload();
