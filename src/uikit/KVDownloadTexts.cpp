#include "uikit/KVDownloadTexts.h"

namespace KVDownloadTexts {

QString reasonOf(const HttpManager::DownloadError &error)
{
    using Error = HttpManager::DownloadError;
    switch (error.kind) {
    case Error::None:
        break;
    case Error::Refused:
        return kRefused;
    case Error::Network:
        return kNetwork;
    case Error::TimedOut:
        return kTimedOut;
    case Error::HttpStatus:
        return kServer;
    case Error::TooLarge:
        return kTooLarge;
    case Error::NoSpace:
        return kNoSpace;
    case Error::CannotWrite:
        return kCannotWrite;
    }
    return {};
}

} // namespace KVDownloadTexts
