#pragma once

#include <QIcon>
#include <vector>

namespace quorvex {

/// The tab icons of the Options dialog, in page order: general settings, file sizes, file
/// ages and name lengths. Drawn at 16 and 32 pixels.
std::vector<QIcon> MakeOptionPageIcons();

} // namespace quorvex
