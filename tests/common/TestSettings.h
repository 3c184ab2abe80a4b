#pragma once

#include "uRegional.h"

#include <string>

namespace quorvex::test {

/// "," thousands, "." decimal, month first, 24-hour time.
inline TRegionalSettings EnglishSettings() {
    return TRegionalSettings{".", ",", "%m/%d/%Y", "%H:%M:%S", "AM", "PM"};
}

/// "." thousands, "," decimal, day first, 24-hour time.
inline TRegionalSettings GermanSettings() {
    return TRegionalSettings{",", ".", "%d.%m.%Y", "%H:%M:%S", "AM", "PM"};
}

/// ISO date and a 12-hour time with lower-case day-period texts.
inline TRegionalSettings TwelveHourSettings() {
    return TRegionalSettings{".", ",", "%Y-%m-%d", "%I:%M:%S %p", "am", "pm"};
}

} // namespace quorvex::test
