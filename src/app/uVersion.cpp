#include "uVersion.h"

namespace quorvex {

const char* BuildVersion() {
    return QUORVEX_VERSION; // from the project version, set for this unit alone
}

std::string VersionText() {
    return std::string(ProductTitle) + " (build " + BuildVersion() + ")";
}

} // namespace quorvex
