#include "updater/delivery/http_status_text.h"

namespace {

struct StatusText {
    long status;
    const char* text;
};

// The statuses an update server, a proxy or a captive portal actually answers with.
constexpr StatusText kStatusTexts[] = {
    {200, "OK"},
    {201, "Created"},
    {202, "Accepted"},
    {203, "Non-Authoritative Information"},
    {204, "No Content"},
    {206, "Partial Content"},
    {301, "Moved Permanently"},
    {302, "Found"},
    {303, "See Other"},
    {304, "Not Modified"},
    {307, "Temporary Redirect"},
    {308, "Permanent Redirect"},
    {400, "Bad Request"},
    {401, "Unauthorized"},
    {402, "Payment Required"},
    {403, "Forbidden"},
    {404, "Not Found"},
    {405, "Method Not Allowed"},
    {406, "Not Acceptable"},
    {407, "Proxy Authentication Required"},
    {408, "Request Timeout"},
    {409, "Conflict"},
    {410, "Gone"},
    {411, "Length Required"},
    {412, "Precondition Failed"},
    {413, "Content Too Large"},
    {414, "URI Too Long"},
    {415, "Unsupported Media Type"},
    {416, "Range Not Satisfiable"},
    {421, "Misdirected Request"},
    {429, "Too Many Requests"},
    {451, "Unavailable For Legal Reasons"},
    {500, "Internal Server Error"},
    {501, "Not Implemented"},
    {502, "Bad Gateway"},
    {503, "Service Unavailable"},
    {504, "Gateway Timeout"},
    {505, "HTTP Version Not Supported"},
    {511, "Network Authentication Required"},
};

}  // namespace

const char* HttpStatusText(long status) {
    if (status == 0) return "none";
    for (const StatusText& known : kStatusTexts) {
        if (known.status == status) return known.text;
    }
    switch (status / 100) {
        case 1: return "informational";
        case 2: return "success";
        case 3: return "redirect";
        case 4: return "client error";
        case 5: return "server error";
    }
    return "not an HTTP status";
}
