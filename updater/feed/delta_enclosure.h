#pragma once
// The deltas an appcast item offers beside its full package, in the appcast's own form:
//   <sparkle:deltas>
//     <enclosure url="…" sparkle:deltaFrom="<installed version>" length="…"
//                sparkle:edSignature="…" upd:baseManifest="<SHA-256 of the base's .upd-manifest>"/>
//   </sparkle:deltas>
// and the rule that picks one. Updaters without delta support never look inside <sparkle:deltas>.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pugi {
class xml_node;
}

struct DeltaEnclosure {
    std::wstring url;
    std::wstring deltaFrom;
    std::uint64_t length = 0;
    std::wstring edSignature;
    std::array<unsigned char, 32> baseManifest = {};  // a SHA-256
};

// The item's complete delta enclosures. One that lacks its URL, deltaFrom, a numeric length,
// its signature or a 64-digit base manifest hash is passed over: the full package serves then.
std::vector<DeltaEnclosure> ReadDeltaEnclosures(pugi::xml_node item);

// The delta to try, or null for the full package. A delta is tried only when it starts from
// the installed version and from the live release's very manifest (so a changed base costs no
// delta bytes), and never for a version whose delta already failed here (DeltaFailedVersion).
const DeltaEnclosure* ChooseDelta(const std::vector<DeltaEnclosure>& deltas, std::wstring_view installedVersion,
                                  const std::array<unsigned char, 32>& liveManifest, std::wstring_view offeredVersion,
                                  std::wstring_view deltaFailedVersion);
