#pragma once
#include <string_view>
#include <vector>
#include "updater/trust/ed25519.h"

enum class FeedSignatureStatus { Verified, Unsigned, Malformed, LengthMismatch, NoKeyVerifies };
// Signed-appcast form: the signed bytes are exactly those before the LAST
// "<!-- sparkle-signatures:\n"; the block holds "edSignature: <base64>" and "length: <N>" lines, N
// equals the count of signed bytes, only white space may follow the closing "-->".
// On Verified, `signedBytes` views into `whole` and `keyIndex` (when given) is the key that verified.
FeedSignatureStatus VerifySignedFeed(std::string_view whole, const std::vector<Ed25519Key>& keys,
                                     std::string_view& signedBytes, int* keyIndex);
const char* FeedSignatureStatusText(FeedSignatureStatus status);  // for the log
