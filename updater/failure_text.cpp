#include "updater/failure_text.h"

TextId DownloadFailureText(DownloadOutcome outcome) {
    switch (outcome) {
        case DownloadOutcome::SignatureRefused: return TextId::SignatureRefused;
        case DownloadOutcome::PublisherRefused: return TextId::PublisherRefused;
        case DownloadOutcome::Failed:
        case DownloadOutcome::Succeeded: break;
    }
    return TextId::DownloadFailed;
}

TextId InstallFailureText(InstallResult result) {
    switch (result) {
        case InstallResult::StartFailed: return TextId::RestoredAfterFailedStart;
        case InstallResult::StagingFailed:
        case InstallResult::ReplaceFailed: return TextId::InstallImpossible;
        case InstallResult::Installed:
        case InstallResult::NoTarget:
        case InstallResult::Cancelled: break;
    }
    return TextId::DownloadFailed;
}
