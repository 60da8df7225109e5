#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace xkm {

// Inline SVG charts for a page that fetches nothing: each is one <svg> with a
// title a screen reader reads, and each bar or point has a tooltip with its
// figures.

struct ChartSeries {
  std::string name;
  std::string color;
};

// One column or row of a stacked chart: a value per series.
struct StackedBar {
  std::string label;
  std::vector<uint64_t> values;
};

// Columns left to right (the days), stacked bottom up by series.
std::string StackedColumns(const std::string& title, const std::vector<ChartSeries>& series,
                           const std::vector<StackedBar>& bars);

// Rows top to bottom (stations, layouts, failures), stacked left to right.
std::string StackedRows(const std::string& title, const std::vector<ChartSeries>& series,
                        const std::vector<StackedBar>& bars);

// One line per series over the same columns; a missing point breaks its line.
struct ChartLine {
  ChartSeries series;
  std::vector<std::optional<double>> points;
};
std::string LineChart(const std::string& title, const std::vector<std::string>& columns,
                      const std::vector<ChartLine>& lines, const std::string& unit);

// The colour of the nth series of a chart whose series are not fixed.
std::string SeriesColor(size_t index);

}  // namespace xkm
