#pragma once

#include "uRegional.h"

#include <QCategoryAxis>
#include <QChart>
#include <QColor>
#include <QString>
#include <functional>
#include <vector>

namespace quorvex {

struct TChartPoints;

enum class EChartKind { Pie, Bar };

/// Called with the index of the double-clicked point in its TChartPoints.
using TChartDoubleClick = std::function<void(int pointIndex)>;

/// The colour of the "Others" point: grey, apart from every group's colour.
inline const QColor OthersColor{0x9a, 0x9a, 0x9a};

/// Pie slices below this share of the total keep their slice but not their label: the labels
/// of thin slices pile up on each other.
inline constexpr double ThinSliceShare = 0.03;

/// Removes the chart's series, axes and bar marks (an empty chart).
void ClearChart(QChart* chart);

/// Shows `points` in the chart's one series of `kind` (value: bytes, label: caption), each
/// point in its own colour and marked with its label and its share of the total. A bar chart
/// has one bar set per point, so every bar has its own colour and legend entry. The series,
/// its slices or bar sets and the axes are updated in place; they are made (and
/// `onDoubleClick` connected) only when the chart holds no series of `kind` yet. Legend
/// visibility is kept.
void BuildChart(QChart* chart, const TChartPoints& points, EChartKind kind,
                TChartDoubleClick onDoubleClick);

/// The look of every group chart: no title, white plot area on a blue-to-white background.
void StyleChart(QChart* chart, bool showLegend);

/// "label percentage", e.g. "Small 12.50%": the share of `total` with two decimals and the
/// regional decimal separator; 0 when the total is 0. Only the percentage for an empty label.
QString PointMarkText(const QString& label, double value, double total,
                      const TRegionalSettings& rs = TRegionalSettings::Current());

/// The colour of the point at `index`: a fixed palette first, then hues spread by the golden
/// angle, so neighbouring points always differ.
QColor PointColor(int index);

/// Values of the size axis' labels: 0, then steps of 1, 2 or 5 times a power of ten in the
/// size unit of `top` (B, KB, MB, GB), two to five of them, none above `top`.
std::vector<double> SizeAxisTicks(double top);

/// Shows 0 to `top` bytes on a size axis, labelled with size texts at `SizeAxisTicks`.
void SetSizeAxisRange(QCategoryAxis* axis, double top);

} // namespace quorvex
