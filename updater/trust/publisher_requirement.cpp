#include "updater/trust/publisher_requirement.h"

#include "ui/util/unique_handle.h"
#include "updater/paths.h"
#include "updater/trust/certificate_chain.h"
#include "updater/trust/pe_image_hash.h"
#include "updater/trust/read_at.h"
#include "updater/trust/signed_message.h"

// wintrust.h needs wincrypt.h, which signed_message.h brings.
#include <wintrust.h>

namespace {

PublisherRequirement Demand(PublisherDemand demand, const std::string& reason) {
    PublisherRequirement requirement;
    requirement.demand = demand;
    requirement.reason = reason;
    return requirement;
}

PublisherRequirement SubjectOf(PCCERT_CONTEXT signer) {
    PublisherRequirement requirement;
    requirement.demand = PublisherDemand::Subject;
    const CERT_NAME_BLOB& name = signer->pCertInfo->Subject;
    requirement.subject.assign(name.pbData, name.pbData + name.cbData);
    requirement.subjectText = SubjectText(signer);
    return requirement;
}

// The signer named by the table's first signature, whatever its certificate's age or issuer.
PublisherRequirement SignerInTable(const std::vector<unsigned char>& table) {
    const unsigned char* blob = nullptr;
    size_t blobSize = 0;
    std::string problem;
    SignedMessage message;
    if (!FirstSignatureInTable(table.data(), table.size(), blob, blobSize, problem) ||
        !message.Decode(blob, blobSize, SPC_INDIRECT_DATA_OBJID, problem)) {
        return Demand(PublisherDemand::CannotTell, problem);
    }
    return SubjectOf(message.Signer());
}

PublisherRequirement DemandOfTable(HANDLE installed, const PeLayout& layout, uint64_t fileSize) {
    const uint64_t tableEnd = static_cast<uint64_t>(layout.certTableOffset) + layout.certTableSize;
    if (tableEnd > fileSize)
        return Demand(PublisherDemand::CannotTell, "certificate table beyond the end of the file");
    if (layout.certTableSize > kMaxCertTableBytes)
        return Demand(PublisherDemand::CannotTell, "certificate table too large");
    std::vector<unsigned char> table(layout.certTableSize);
    if (!ReadFileAt(installed, layout.certTableOffset, table.data(), layout.certTableSize))
        return Demand(PublisherDemand::CannotTell, "certificate table unreadable");
    return SignerInTable(table);
}

}  // namespace

PublisherRequirement RequiredPublisherOf(HANDLE installed) {
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(installed, &size)) return Demand(PublisherDemand::CannotTell, "size unknown");
    const uint64_t fileSize = static_cast<uint64_t>(size.QuadPart);
    std::vector<unsigned char> head(static_cast<size_t>(fileSize < kPeHeadBytes ? fileSize : kPeHeadBytes));
    if (!head.empty() && !ReadFileAt(installed, 0, head.data(), static_cast<DWORD>(head.size())))
        return Demand(PublisherDemand::CannotTell, "unreadable");
    PeLayout layout;
    std::string problem;
    switch (ReadPeHeaders(head.data(), head.size(), fileSize, layout, problem)) {
        case PeHeaders::NotAnImage: return Demand(PublisherDemand::None, "not a Windows program");
        case PeHeaders::NoCertificateEntry:
        case PeHeaders::Read: break;
        case PeHeaders::Unreadable: return Demand(PublisherDemand::CannotTell, problem);
    }
    if (layout.certTableSize == 0) return Demand(PublisherDemand::None, "unsigned (no certificate table)");
    return DemandOfTable(installed, layout, fileSize);
}

PublisherRequirement RequiredPublisher(const std::wstring& installedPath) {
    const UniqueHandle installed(CreateFileW(LongPathForm(installedPath).c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (installed) return RequiredPublisherOf(installed.Get());
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return Demand(PublisherDemand::None, "missing");
    return Demand(PublisherDemand::CannotTell, "unreadable, error " + std::to_string(error));
}
