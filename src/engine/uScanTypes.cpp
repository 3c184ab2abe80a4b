#include "uScanTypes.h"

namespace quorvex {

const char* ScanProblemText(EScanProblem reason) {
    switch (reason) {
    case EScanProblem::PermissionDenied:
        return "permission denied";
    case EScanProblem::Vanished:
        return "vanished";
    case EScanProblem::OtherVolume:
        return "other volume";
    case EScanProblem::ReadError:
        return "read error";
    case EScanProblem::NotRead:
        return "not read";
    }
    return "";
}

} // namespace quorvex
