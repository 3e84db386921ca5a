#include "updater/trust/authenticode_timestamp.h"

#include "updater/trust/certificate_chain.h"
#include "updater/trust/cng_hash.h"
#include "updater/trust/der_reader.h"
#include "updater/trust/signed_message.h"

namespace {

bool Fail(std::string& problem, const char* why) {
    problem = why;
    return false;
}

struct TstInfo {
    std::string imprintOid;
    DerItem imprint;
    DerItem genTime;
};

// TSTInfo { version, policy, messageImprint { algorithm { oid, ... }, hash }, serial, genTime, ... }
bool ReadTstInfo(const unsigned char* data, size_t size, TstInfo& info) {
    DerItem tst, imprint, algorithm, oid;
    if (!DerCursor(data, size).Next(der::kSequence, tst)) return false;
    DerCursor fields(tst);
    if (!fields.Skip(der::kInteger) || !fields.Skip(der::kOid) || !fields.Next(der::kSequence, imprint) ||
        !fields.Skip(der::kInteger) || !fields.Next(der::kGeneralizedTime, info.genTime)) {
        return false;
    }
    DerCursor imprintFields(imprint);
    if (!imprintFields.Next(der::kSequence, algorithm) ||
        !imprintFields.Next(der::kOctetString, info.imprint) || !DerCursor(algorithm).Next(der::kOid, oid)) {
        return false;
    }
    info.imprintOid = DerOidText(oid);
    return true;
}

bool ToFileTime(const DerItem& genTime, FILETIME& time) {
    DerTime parts;
    if (!DerGeneralizedTime(genTime, parts)) return false;
    SYSTEMTIME system = {};
    system.wYear = static_cast<WORD>(parts.year);
    system.wMonth = static_cast<WORD>(parts.month);
    system.wDay = static_cast<WORD>(parts.day);
    system.wHour = static_cast<WORD>(parts.hour);
    system.wMinute = static_cast<WORD>(parts.minute);
    system.wSecond = static_cast<WORD>(parts.second);
    system.wMilliseconds = static_cast<WORD>(parts.millisecond);
    return SystemTimeToFileTime(&system, &time) != FALSE;
}

}  // namespace

bool VerifyTimestamp(const CMSG_SIGNER_INFO& signer, FILETIME& stampedAt, std::string& problem) {
    CRYPT_DATA_BLOB token = {};
    if (!SingleAttributeValue(signer.UnauthAttrs, szOID_RFC3161_counterSign, token))
        return Fail(problem, "no time stamp");
    SignedMessage message;
    std::string why;
    if (!message.Decode(token.pbData, token.cbData, szOID_TIMESTAMP_TOKEN, why) || !message.Verify(why)) {
        problem = "time stamp: " + why;
        return false;
    }
    TstInfo info;
    if (!ReadTstInfo(message.ContentValue(), message.ContentValueSize(), info) ||
        !ToFileTime(info.genTime, stampedAt)) {
        return Fail(problem, "time stamp: malformed TSTInfo");
    }
    const std::string stamped =
        DigestOf(info.imprintOid.c_str(), signer.EncryptedHash.pbData, signer.EncryptedHash.cbData);
    if (stamped.empty() ||
        stamped != std::string(reinterpret_cast<const char*>(info.imprint.value), info.imprint.length)) {
        return Fail(problem, "time stamp: made for another signature");
    }
    const DWORD errors =
        ChainErrors(message.Signer(), message.Certificates(), szOID_PKIX_KP_TIMESTAMP_SIGNING, &stampedAt);
    if (errors != 0) {
        problem = "time stamp: " + DescribeChainErrors(errors);
        return false;
    }
    return true;
}
