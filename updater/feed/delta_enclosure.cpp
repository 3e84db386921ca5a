#include "updater/feed/delta_enclosure.h"

#include <pugixml.hpp>

#include <cwctype>

#include "updater/feed/version_compare.h"
#include "updater/feed/xml_names.h"
#include "updater/files/sha256.h"
#include "updater/update_log.h"

namespace {

std::wstring Trimmed(const wchar_t* text) {
    std::wstring_view view(text);
    while (!view.empty() && std::iswspace(view.front())) view.remove_prefix(1);
    while (!view.empty() && std::iswspace(view.back())) view.remove_suffix(1);
    return std::wstring(view);
}

bool ParseLength(const std::wstring& text, std::uint64_t& value) {
    if (text.empty() || text.size() > 19) return false;
    value = 0;
    for (wchar_t ch : text) {
        if (ch < L'0' || ch > L'9') return false;
        value = value * 10 + static_cast<std::uint64_t>(ch - L'0');
    }
    return value > 0;
}

bool ReadOne(pugi::xml_node enclosure, DeltaEnclosure& delta) {
    delta.url = Trimmed(enclosure.attribute(L"url").value());
    delta.deltaFrom = Trimmed(XmlAttribute(enclosure, kSparkleNamespace, L"deltaFrom").value());
    delta.edSignature = Trimmed(XmlAttribute(enclosure, kSparkleNamespace, L"edSignature").value());
    const std::wstring base = Trimmed(XmlAttribute(enclosure, kFeedNamespace, L"baseManifest").value());
    return !delta.url.empty() && !delta.deltaFrom.empty() && !delta.edSignature.empty() &&
           ParseLength(Trimmed(enclosure.attribute(L"length").value()), delta.length) &&
           ParseHexDigest(Utf8(base), delta.baseManifest);
}

}  // namespace

std::vector<DeltaEnclosure> ReadDeltaEnclosures(pugi::xml_node item) {
    std::vector<DeltaEnclosure> deltas;
    for (pugi::xml_node list : item.children()) {
        if (!XmlIs(list, kSparkleNamespace, L"deltas")) continue;
        for (pugi::xml_node enclosure : list.children()) {
            DeltaEnclosure delta;
            if (XmlIs(enclosure, {}, L"enclosure") && ReadOne(enclosure, delta)) deltas.push_back(delta);
        }
    }
    return deltas;
}

const DeltaEnclosure* ChooseDelta(const std::vector<DeltaEnclosure>& deltas, std::wstring_view installedVersion,
                                  const std::array<unsigned char, 32>& liveManifest, std::wstring_view offeredVersion,
                                  std::wstring_view deltaFailedVersion) {
    if (!deltaFailedVersion.empty() && CompareVersions(deltaFailedVersion, offeredVersion) == 0) return nullptr;
    for (const DeltaEnclosure& delta : deltas) {
        if (CompareVersions(delta.deltaFrom, installedVersion) == 0 && delta.baseManifest == liveManifest) {
            return &delta;
        }
    }
    return nullptr;
}
