#include "feed_signing.h"

#include <pugixml.hpp>

#include "updater/feed/appcast.h"
#include "updater/feed/feed_dates.h"
#include "updater/feed/xml_names.h"
#include "updater/trust/ed25519.h"
#include "updater/update_log.h"

namespace {

constexpr std::string_view kMarker = "<!-- sparkle-signatures:\n";

struct Utf8Writer : pugi::xml_writer {
    std::string bytes;
    void write(const void* data, size_t size) override { bytes.append(static_cast<const char*>(data), size); }
};

// The prefix our namespace has at the channel, declaring "upd" (or "upd2", ...) on the root
// when the feed does not bind it yet.
std::wstring FeedPrefix(pugi::xml_node rss, pugi::xml_node channel) {
    std::wstring prefix;
    if (XmlPrefixOf(channel, kFeedNamespace, prefix)) return prefix;
    prefix = L"upd";
    for (int n = 2; !XmlNamespaceAt(channel, prefix).empty(); ++n) prefix = L"upd" + std::to_wstring(n);
    rss.append_attribute((L"xmlns:" + prefix).c_str()).set_value(kFeedNamespace);
    return prefix;
}

// The element of our namespace in the channel, made as its first child when missing.
pugi::xml_node OurElement(pugi::xml_node rss, pugi::xml_node channel, const wchar_t* local) {
    if (pugi::xml_node found = XmlChild(channel, kFeedNamespace, local)) return found;
    const std::wstring name = FeedPrefix(rss, channel) + L":" + local;
    pugi::xml_node first = channel.first_child();
    if (first.type() == pugi::node_pcdata && std::wstring_view(first.value()).find_first_not_of(L" \t\r\n") ==
                                                 std::wstring_view::npos) {
        // Keep the channel's indentation: element, then the same white space again.
        pugi::xml_node element = channel.insert_child_after(name.c_str(), first);
        channel.insert_child_after(pugi::node_pcdata, element).set_value(first.value());
        return element;
    }
    return channel.prepend_child(name.c_str());
}

void SetText(pugi::xml_node element, const std::wstring& text) {
    while (element.first_child()) element.remove_child(element.first_child());
    element.append_child(pugi::node_pcdata).set_value(text.c_str());
}

std::wstring Trimmed(const wchar_t* raw) {
    const std::wstring text = raw;
    const std::size_t first = text.find_first_not_of(L" \t\r\n");
    return first == std::wstring::npos ? L"" : text.substr(first, text.find_last_not_of(L" \t\r\n") - first + 1);
}

// The serial is the signing time by default: a feed made again from a template still rises
// above every earlier publication, where counting up from the file's own value would start again
// at 1 and be refused as a replay by every client.
bool SetSerial(pugi::xml_node rss, pugi::xml_node channel, const FeedSigningOptions& options, std::string& error) {
    pugi::xml_node serial = XmlChild(channel, kFeedNamespace, L"serial");
    std::uint64_t current = 0;
    if (serial) {
        const std::wstring text = Trimmed(serial.text().get());
        if (text.empty() || text.size() > 19 || text.find_first_not_of(L"0123456789") != std::wstring::npos) {
            error = "the feed's serial is not a number";
            return false;
        }
        current = std::stoull(text);
    }
    std::uint64_t next = options.now > 0 ? static_cast<std::uint64_t>(options.now) : 1;
    if (next <= current) next = current + 1;
    if (options.serial) {
        if (*options.serial < current) {
            error = "--serial " + std::to_string(*options.serial) + " is lower than the feed's serial " +
                    std::to_string(current) + "; clients would refuse it as a replay";
            return false;
        }
        next = *options.serial;
    }
    SetText(OurElement(rss, channel, L"serial"), std::to_wstring(next));
    return true;
}

bool ExpiryAhead(const std::wstring& expires, std::int64_t now, const char* what, std::string& error) {
    std::int64_t seconds = 0;
    if (!ParseRfc3339Date(expires, seconds)) {
        error = std::string(what) + " \"" + Utf8(expires) + "\" is no RFC 3339 time such as 2027-01-31T00:00:00Z";
        return false;
    }
    if (seconds < now + kMinimumExpiryLeadSeconds) {
        error = std::string(what) + " " + Utf8(expires) +
                " is past or within the hour: clients would refuse the feed as expired";
        return false;
    }
    return true;
}

// A feed is never published already expired: a new expiry must lie ahead, and one the feed
// carries from an earlier signing is kept only while it does.
bool SetExpiry(pugi::xml_node rss, pugi::xml_node channel, const FeedSigningOptions& options, std::string& error) {
    pugi::xml_node existing = XmlChild(channel, kFeedNamespace, L"expires");
    if (options.noExpires) {
        if (existing) channel.remove_child(existing);
        return true;
    }
    if (!options.expires.empty()) {
        if (!ExpiryAhead(options.expires, options.now, "--expires", error)) return false;
        SetText(OurElement(rss, channel, L"expires"), options.expires);
        return true;
    }
    if (existing && !ExpiryAhead(Trimmed(existing.text().get()), options.now, "the feed's <upd:expires>", error)) {
        error += "; set a new one with --expires <RFC 3339 time> or remove it with --no-expires";
        return false;
    }
    return true;
}

}  // namespace

std::string_view WithoutSignature(std::string_view feed) {
    const std::size_t marker = feed.rfind(kMarker);
    return marker == std::string_view::npos ? feed : feed.substr(0, marker);
}

bool PrepareFeed(std::string_view feed, const FeedSigningOptions& options, std::string& prepared, std::string& error) {
    pugi::xml_document document;
    const unsigned flags = (pugi::parse_full | pugi::parse_ws_pcdata) & ~pugi::parse_eol;
    if (!document.load_buffer(feed.data(), feed.size(), flags, pugi::encoding_utf8)) {
        error = "the feed is not well-formed XML";
        return false;
    }
    pugi::xml_node rss = document.document_element();
    pugi::xml_node channel = XmlChild(rss, {}, L"channel");
    if (!XmlIs(rss, {}, L"rss") || !channel) {
        error = "the feed has no <rss> root with a <channel>";
        return false;
    }
    if (!SetSerial(rss, channel, options, error) || !SetExpiry(rss, channel, options, error)) return false;
    // Node by node, one line each: the document's own white space between its declaration, a
    // leading comment and the root is not kept by the parser.
    Utf8Writer writer;
    for (pugi::xml_node node : document.children()) {
        node.print(writer, L"", pugi::format_raw, pugi::encoding_utf8);
        writer.bytes += "\n";
    }
    prepared = writer.bytes;
    AppcastFeed check;
    if (ParseAppcast(prepared, check) != AppcastStatus::Ok) {
        error = "the feed's serial or expiry cannot be read";
        return false;
    }
    return true;
}

std::string SignatureComment(const Ed25519Seed& seed, std::string_view signedBytes) {
    const auto signature =
        SignBytes(seed, reinterpret_cast<const std::uint8_t*>(signedBytes.data()), signedBytes.size());
    return std::string(kMarker) + "edSignature: " + Base64Encode(signature.data(), signature.size()) +
           "\nlength: " + std::to_string(signedBytes.size()) + "\n-->\n";
}
