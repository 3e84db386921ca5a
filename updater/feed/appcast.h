#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "updater/feed/delta_enclosure.h"

struct FeedEnclosure {
    std::wstring url;
    std::uint64_t length = 0;       // 0: not given (or "0")
    std::wstring type;
    std::wstring os;                // sparkle:os, empty: any
    std::wstring edSignature;       // base64 text as written
    // An installer release: sparkle:installerArguments given (on the enclosure or the item), or a
    // URL whose file name ends in ".msi". The file is run, never put in the program's place.
    bool installer = false;
    bool msi = false;
    std::wstring installerArguments;
};
// One of an item's descriptions or notes links, with its xml:lang (empty: none).
struct LanguageText {
    std::wstring language;
    std::wstring text;
    bool plainText = false;         // a description with sparkle:format="plain-text"
};
struct FeedItem {
    std::wstring version;           // sparkle:version element, else the enclosure's attribute
    std::wstring shortVersion;      // sparkle:shortVersionString (shown), may be empty
    std::wstring title;
    std::wstring description;       // release notes as written (HTML unless plain text)
    bool descriptionIsPlainText = false;  // sparkle:format="plain-text"
    std::wstring releaseNotesLink;
    // Every description and notes link as written; description and releaseNotesLink above hold
    // the ones without a language (else the first) until ChooseItemLanguage picks.
    std::vector<LanguageText> descriptions;
    std::vector<LanguageText> notesLinks;
    std::wstring minimumSystemVersion;    // "major.minor.build", empty: any
    std::wstring maximumSystemVersion;    // "major.minor.build", empty: any
    std::wstring minimumAutoupdateVersion;  // below it only a user may install the item, empty: any
    std::wstring link;              // the item's <link>: the vendor's page for it
    std::wstring channel;           // empty: no channel
    bool hasPubDate = false;
    std::int64_t pubDate = 0;       // seconds since 1970 UTC
    bool critical = false;          // <sparkle:criticalUpdate/> in the item or in <sparkle:tags>
    std::wstring criticalBelow;     // its sparkle:version: critical only for installed versions below it
    std::int64_t rolloutInterval = 0;     // sparkle:phasedRolloutInterval seconds, 0: none
    bool installerArguments = false;      // sparkle:installerArguments present (item or enclosure)
    // <sparkle:informationalUpdate>: never downloaded, only shown. Empty: for every installed
    // version; else for those named (sparkle:version) or below one named (sparkle:belowVersion).
    bool informational = false;
    std::vector<std::wstring> informationalVersions;
    std::vector<std::wstring> informationalBelow;
    bool hasEnclosure = false;
    FeedEnclosure enclosure;        // the first usable enclosure
    std::vector<FeedEnclosure> enclosures;  // every usable one (an x64 and an x86 file), in feed order
    std::vector<DeltaEnclosure> deltas;   // <sparkle:deltas>, beside the full enclosure
};
struct AppcastFeed {
    bool hasSerial = false;         // <upd:serial> (namespace urn:updater:feed:1) in the channel
    std::uint64_t serial = 0;
    bool hasExpires = false;        // <upd:expires> RFC 3339
    std::int64_t expires = 0;       // seconds since 1970 UTC
    std::vector<FeedItem> items;
};
enum class AppcastStatus { Ok, NotWellFormed, NoRss, BadFreshness };  // BadFreshness: malformed serial/expires
AppcastStatus ParseAppcast(std::string_view signedBytes, AppcastFeed& feed);
