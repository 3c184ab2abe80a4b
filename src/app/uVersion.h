#pragma once

#include <string>

namespace quorvex {

/// The name and version the program shows as its title (the About box).
inline constexpr char ProductTitle[] = "Quorvex 2.7.5";

/// The version of this build, as the build system numbers it.
const char* BuildVersion();

/// The title followed by the build version: "Quorvex 2.7.5 (build 0.1.0)".
std::string VersionText();

} // namespace quorvex
