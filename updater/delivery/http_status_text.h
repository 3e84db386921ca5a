#pragma once
// HTTP status codes in words, for log lines that a person reads after a failed update.

// The standard reason phrase of `status` ("Not Found"), else its class ("client error"), "none"
// for 0 (no answer came).
const char* HttpStatusText(long status);
