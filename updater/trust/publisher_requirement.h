#pragma once
// What the program being replaced demands of its replacement: the first of the two questions of
// publisher pinning, kept apart from the second (does the download pass?) so that "could not
// tell" can only ever mean "refuse", never "nothing required".
//
// The demand is read from the installed program's own signature without judging it: no digest,
// no chain, no clock and no network. The installed program is what the user runs already; the
// only question is whose name it carries. Whatever its certificate table holds after the first
// signature (installer tag data, padding) is ignored here, because tools that tag installers
// write there and the signature stays valid.

#include <windows.h>

#include <string>
#include <vector>

enum class PublisherDemand {
    None,        // no certificate table (or no program at all): any download may follow it
    Subject,     // the download must be signed by a certificate of this subject
    CannotTell,  // a certificate table without a signer that can be read: every download is refused
};

struct PublisherRequirement {
    PublisherDemand demand = PublisherDemand::CannotTell;
    std::vector<unsigned char> subject;  // the signer's subject, DER-encoded, for Subject
    std::string subjectText;             // the same as text, for log lines
    std::string reason;                  // for None and CannotTell, what the program showed
};

// The demand of the program at `installedPath`, opened only to read while others may do
// anything with it. A missing program demands nothing; one that cannot be read, cannot tell.
PublisherRequirement RequiredPublisher(const std::wstring& installedPath);

// The same for a program already open for reading.
PublisherRequirement RequiredPublisherOf(HANDLE installed);
