#include "updater/feed/appcast.h"

#include <pugixml.hpp>

#include <cwctype>

#include "updater/feed/feed_dates.h"
#include "updater/feed/xml_names.h"

// Feeds are read with pugixml, a conforming parser: unlike the skin reader, it accepts what
// vendors' feeds really contain (CDATA, single quotes, text beside elements, any namespace
// prefix). It never expands entities beyond the predefined ones, so an entity bomb is only text.
// Names are resolved by namespace URI through the xmlns declarations in scope; a feed that binds
// the sparkle namespace to another prefix reads the same.

namespace {

std::wstring Trim(std::wstring_view text) {
    const wchar_t* spaces = L" \t\r\n";
    const std::size_t first = text.find_first_not_of(spaces);
    if (first == std::wstring_view::npos) return {};
    return std::wstring(text.substr(first, text.find_last_not_of(spaces) - first + 1));
}

// All character data directly inside the element (text beside child elements included).
std::wstring TextOf(pugi::xml_node node) {
    std::wstring text;
    for (pugi::xml_node child : node.children()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) text += child.value();
    }
    return text;
}

struct WideWriter : pugi::xml_writer {
    std::wstring text;
    void write(const void* data, size_t size) override {
        text.append(static_cast<const wchar_t*>(data), size / sizeof(wchar_t));
    }
};

// Release notes as HTML: mostly CDATA, but some feeds put the mark-up in as elements; those
// are written back out as text for the HTML reduction.
std::wstring NotesOf(pugi::xml_node description) {
    WideWriter writer;
    for (pugi::xml_node child : description.children()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
            writer.text += child.value();
        } else if (child.type() == pugi::node_element) {
            child.print(writer, L"", pugi::format_raw, pugi::encoding_wchar);
        }
    }
    return writer.text;
}

bool ParseUnsigned(std::wstring_view text, std::uint64_t& value) {
    if (text.empty() || text.size() > 19) return false;
    value = 0;
    for (wchar_t ch : text) {
        if (ch < L'0' || ch > L'9') return false;
        value = value * 10 + static_cast<std::uint64_t>(ch - L'0');
    }
    return true;
}

// The sparkle value given as a child element or, failing that, as an attribute of the enclosure.
std::wstring SparkleValue(pugi::xml_node item, pugi::xml_node enclosure, std::wstring_view local) {
    if (pugi::xml_node element = XmlChild(item, kSparkleNamespace, local)) return Trim(TextOf(element));
    if (enclosure) return Trim(XmlAttribute(enclosure, kSparkleNamespace, local).value());
    return {};
}

void ReadCritical(pugi::xml_node item, FeedItem& out) {
    pugi::xml_node critical = XmlChild(item, kSparkleNamespace, L"criticalUpdate");
    if (!critical) {
        const pugi::xml_node tags = XmlChild(item, kSparkleNamespace, L"tags");
        if (tags) critical = XmlChild(tags, kSparkleNamespace, L"criticalUpdate");
    }
    if (!critical) return;
    out.critical = true;
    out.criticalBelow = Trim(XmlAttribute(critical, kSparkleNamespace, L"version").value());
}

// An enclosure whose length is not a number is dropped with the item's offer: the transfer
// limit is part of what the vendor signed, and guessing it would loosen the check.
// The URL's file name (before any query or fragment) ends in ".msi", in any letter case.
bool NamesMsi(const std::wstring& url) {
    const std::wstring path = url.substr(0, url.find_first_of(L"?#"));
    if (path.size() < 4) return false;
    std::wstring end = path.substr(path.size() - 4);
    for (wchar_t& ch : end) ch = static_cast<wchar_t>(std::towlower(ch));
    return end == L".msi";
}

void ReadEnclosure(pugi::xml_node item, pugi::xml_node enclosure, FeedItem& out) {
    FeedEnclosure e;
    e.url = Trim(enclosure.attribute(L"url").value());
    e.type = Trim(enclosure.attribute(L"type").value());
    e.os = Trim(XmlAttribute(enclosure, kSparkleNamespace, L"os").value());
    e.edSignature = Trim(XmlAttribute(enclosure, kSparkleNamespace, L"edSignature").value());
    const std::wstring length = Trim(enclosure.attribute(L"length").value());
    const pugi::xml_attribute arguments = XmlAttribute(enclosure, kSparkleNamespace, L"installerArguments");
    const pugi::xml_node itemArguments = XmlChild(item, kSparkleNamespace, L"installerArguments");
    if (arguments || itemArguments) out.installerArguments = true;
    e.installerArguments = arguments ? Trim(arguments.value()) : Trim(TextOf(itemArguments));
    e.msi = NamesMsi(e.url);
    e.installer = arguments || itemArguments || e.msi;
    if (e.url.empty() || (!length.empty() && !ParseUnsigned(length, e.length))) return;
    if (!out.hasEnclosure) out.enclosure = e;
    out.hasEnclosure = true;
    out.enclosures.push_back(std::move(e));
}

// xml:lang belongs to the namespace the prefix "xml" is always bound to.
std::wstring LanguageOf(pugi::xml_node node) {
    return Trim(node.attribute(L"xml:lang").value());
}

// The text without a language, else the first one.
const LanguageText* DefaultText(const std::vector<LanguageText>& texts) {
    for (const LanguageText& text : texts) {
        if (text.language.empty()) return &text;
    }
    return texts.empty() ? nullptr : &texts.front();
}

void ReadLanguageTexts(pugi::xml_node item, FeedItem& out) {
    for (pugi::xml_node child : item.children()) {
        if (XmlIs(child, {}, L"description")) {
            const std::wstring_view format = XmlAttribute(child, kSparkleNamespace, L"format").value();
            out.descriptions.push_back({LanguageOf(child), NotesOf(child), format == L"plain-text"});
        } else if (XmlIs(child, kSparkleNamespace, L"releaseNotesLink")) {
            out.notesLinks.push_back({LanguageOf(child), Trim(TextOf(child)), false});
        }
    }
    if (const LanguageText* description = DefaultText(out.descriptions)) {
        out.description = description->text;
        out.descriptionIsPlainText = description->plainText;
    }
    if (const LanguageText* link = DefaultText(out.notesLinks)) out.releaseNotesLink = link->text;
}

void ReadInformational(pugi::xml_node item, FeedItem& out) {
    const pugi::xml_node informational = XmlChild(item, kSparkleNamespace, L"informationalUpdate");
    if (!informational) return;
    out.informational = true;
    for (pugi::xml_node child : informational.children()) {
        if (XmlIs(child, kSparkleNamespace, L"version")) out.informationalVersions.push_back(Trim(TextOf(child)));
        if (XmlIs(child, kSparkleNamespace, L"belowVersion")) out.informationalBelow.push_back(Trim(TextOf(child)));
    }
}

FeedItem ReadItem(pugi::xml_node item) {
    FeedItem out;
    const pugi::xml_node enclosure = XmlChild(item, {}, L"enclosure");
    for (pugi::xml_node child : item.children()) {
        if (XmlIs(child, {}, L"enclosure")) ReadEnclosure(item, child, out);
    }
    out.deltas = ReadDeltaEnclosures(item);
    out.version = SparkleValue(item, enclosure, L"version");
    out.shortVersion = SparkleValue(item, enclosure, L"shortVersionString");
    out.title = Trim(TextOf(XmlChild(item, {}, L"title")));
    ReadLanguageTexts(item, out);
    out.minimumSystemVersion = Trim(TextOf(XmlChild(item, kSparkleNamespace, L"minimumSystemVersion")));
    out.maximumSystemVersion = Trim(TextOf(XmlChild(item, kSparkleNamespace, L"maximumSystemVersion")));
    out.minimumAutoupdateVersion = SparkleValue(item, {}, L"minimumAutoupdateVersion");
    out.link = Trim(TextOf(XmlChild(item, {}, L"link")));
    out.channel = Trim(TextOf(XmlChild(item, kSparkleNamespace, L"channel")));
    if (pugi::xml_node date = XmlChild(item, {}, L"pubDate")) {
        out.hasPubDate = ParseRfc822Date(Trim(TextOf(date)), out.pubDate);
    }
    // A longer interval than ten years is held at ten: still "not yet" for the later groups,
    // never a number that wraps into "long ago".
    std::uint64_t interval = 0;
    if (ParseUnsigned(Trim(TextOf(XmlChild(item, kSparkleNamespace, L"phasedRolloutInterval"))), interval)) {
        const std::uint64_t tenYears = 10ull * 365 * 86400;
        out.rolloutInterval = static_cast<std::int64_t>(interval < tenYears ? interval : tenYears);
    }
    ReadCritical(item, out);
    ReadInformational(item, out);
    return out;
}

// Our freshness elements: each at most once, and well-formed when present. A feed that has them
// wrong fails as a whole, since they are what guards against an old feed played back.
bool ReadFreshness(pugi::xml_node channel, AppcastFeed& feed) {
    for (pugi::xml_node child : channel.children()) {
        if (XmlIs(child, kFeedNamespace, L"serial")) {
            if (feed.hasSerial || !ParseUnsigned(Trim(TextOf(child)), feed.serial)) return false;
            feed.hasSerial = true;
        } else if (XmlIs(child, kFeedNamespace, L"expires")) {
            if (feed.hasExpires || !ParseRfc3339Date(Trim(TextOf(child)), feed.expires)) return false;
            feed.hasExpires = true;
        }
    }
    return true;
}

}  // namespace

AppcastStatus ParseAppcast(std::string_view signedBytes, AppcastFeed& feed) {
    feed = AppcastFeed{};
    if (signedBytes.substr(0, 3) == "\xEF\xBB\xBF") signedBytes.remove_prefix(3);
    pugi::xml_document document;
    const pugi::xml_parse_result result =
        document.load_buffer(signedBytes.data(), signedBytes.size(), pugi::parse_default, pugi::encoding_utf8);
    if (result.status == pugi::status_no_document_element) return AppcastStatus::NoRss;
    if (!result) return AppcastStatus::NotWellFormed;
    const pugi::xml_node rss = document.document_element();
    if (!XmlIs(rss, {}, L"rss")) return AppcastStatus::NoRss;
    const pugi::xml_node channel = XmlChild(rss, {}, L"channel");
    if (!channel) return AppcastStatus::Ok;
    if (!ReadFreshness(channel, feed)) return AppcastStatus::BadFreshness;
    for (pugi::xml_node item : channel.children()) {
        if (XmlIs(item, {}, L"item")) feed.items.push_back(ReadItem(item));
    }
    return AppcastStatus::Ok;
}
