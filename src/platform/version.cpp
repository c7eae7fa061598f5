#include "platform/version.h"

#include "krn_version_commit.h"  // written at build time by cmake/version.cmake

#ifndef KRN_VERSION
#define KRN_VERSION "0.0.0"
#endif

namespace platform {

const char* versionNumber() {
    return KRN_VERSION;
}

std::string versionText() {
    const std::string commit = KRN_VERSION_COMMIT;
    return commit.empty() ? std::string(KRN_VERSION)
                          : std::string(KRN_VERSION) + " (commit " + commit + ")";
}

}  // namespace platform
