#include "core/traces/svg_charts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/traces/html_text.h"

namespace xkm {
namespace {

constexpr int kWidth = 960;
constexpr int kColumnsHeight = 220;
constexpr int kLeft = 56;          // room for the value axis
constexpr int kLabelsWidth = 300;  // room for a row's label
constexpr int kRowHeight = 22;
constexpr int kLegendHeight = 24;
constexpr size_t kMostColumnLabels = 12;
constexpr double kWidestColumn = 60;  // a week of columns stays a chart, not a wall

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  std::string s = text;
  if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0) s.resize(s.size() - 2);
  return s;
}

// The step between axis ticks: 1, 2 or 5 times a power of ten, about a
// quarter of `top`.
double TickStep(double top) {
  if (top <= 0) return 1;
  const double rough = top / 4;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  for (const double factor : {1.0, 2.0, 5.0})
    if (factor * power >= rough) return factor * power;
  return 10 * power;
}

// The top of a value axis: `highest` rounded up to a whole tick.
double AxisTop(double highest, double leastStep) {
  const double step = std::max(TickStep(highest), leastStep);
  return std::max(std::ceil(highest / step) * step, step);
}

std::string Open(const std::string& title, int height) {
  return "<svg class=\"chart\" role=\"img\" viewBox=\"0 0 " + std::to_string(kWidth) + " " +
         std::to_string(height) + "\"><title>" + EscapeHtml(title) + "</title>";
}

std::string Legend(const std::vector<ChartSeries>& series, int y) {
  std::string svg;
  int x = kLeft;
  for (const ChartSeries& s : series) {
    svg += "<rect x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) +
           "\" width=\"12\" height=\"12\" fill=\"" + s.color + "\"/><text x=\"" +
           std::to_string(x + 16) + "\" y=\"" + std::to_string(y + 11) + "\">" +
           EscapeHtml(s.name) + "</text>";
    x += 24 + static_cast<int>(s.name.size()) * 8;
  }
  return svg;
}

// Horizontal grid lines with their values, for a value axis from 0 to `top`
// drawn `height` high with its base at `base`.
std::string ValueAxis(double top, double leastStep, int base, int height, const std::string& unit) {
  std::string svg;
  const double step = std::max(TickStep(top), leastStep);
  for (double value = 0; value <= top + step / 2; value += step) {
    const int y = base - static_cast<int>(std::lround(value / std::max(top, 1.0) * height));
    svg += "<line class=\"grid\" x1=\"" + std::to_string(kLeft) + "\" x2=\"" +
           std::to_string(kWidth) + "\" y1=\"" + std::to_string(y) + "\" y2=\"" +
           std::to_string(y) + "\"/><text class=\"axis\" x=\"" + std::to_string(kLeft - 4) +
           "\" y=\"" + std::to_string(y + 4) + "\">" + Number(value) + unit + "</text>";
  }
  return svg;
}

uint64_t Total(const StackedBar& bar) {
  uint64_t sum = 0;
  for (const uint64_t value : bar.values) sum += value;
  return sum;
}

// "label: total (series a, series b …)" for a bar's tooltip.
std::string Tooltip(const StackedBar& bar, const std::vector<ChartSeries>& series) {
  std::string text = bar.label + ": " + std::to_string(Total(bar));
  if (series.size() < 2) return text;
  std::string parts;
  for (size_t i = 0; i < series.size() && i < bar.values.size(); ++i)
    if (bar.values[i] > 0)
      parts += (parts.empty() ? "" : ", ") + std::to_string(bar.values[i]) + " " + series[i].name;
  return text + " (" + parts + ")";
}

// The columns whose label is written: at most kMostColumnLabels, evenly.
bool Labelled(size_t index, size_t count) {
  const size_t every = (count + kMostColumnLabels - 1) / kMostColumnLabels;
  return every <= 1 || index % every == 0;
}

}  // namespace

std::string SeriesColor(size_t index) {
  constexpr const char* kColors[] = {"#1f5fa8", "#d1495b", "#2a9d8f", "#e9a23b",
                                     "#6a4c93", "#8d6e63", "#00838f", "#c2185b"};
  return kColors[index % std::size(kColors)];
}

std::string StackedColumns(const std::string& title, const std::vector<ChartSeries>& series,
                           const std::vector<StackedBar>& bars) {
  const int top = kLegendHeight + 8;
  const int base = top + kColumnsHeight;
  std::string svg = Open(title, base + 24);
  svg += Legend(series, 4);
  uint64_t highest = 1;
  for (const StackedBar& bar : bars) highest = std::max(highest, Total(bar));
  // Runs are whole: no tick between 0 and 1.
  const double axisTop = AxisTop(static_cast<double>(highest), 1);
  svg += ValueAxis(axisTop, 1, base, kColumnsHeight, "");
  const double width =
      std::min(kWidestColumn, static_cast<double>(kWidth - kLeft) /
                                  static_cast<double>(std::max<size_t>(bars.size(), 1)));
  for (size_t i = 0; i < bars.size(); ++i) {
    const double x = kLeft + width * static_cast<double>(i);
    svg += "<g><title>" + EscapeHtml(Tooltip(bars[i], series)) + "</title>";
    double y = base;
    for (size_t s = 0; s < series.size() && s < bars[i].values.size(); ++s) {
      const double h = static_cast<double>(bars[i].values[s]) / axisTop * kColumnsHeight;
      if (h <= 0) continue;
      y -= h;
      svg += "<rect x=\"" + Number(x + width * 0.1) + "\" y=\"" + Number(y) + "\" width=\"" +
             Number(std::max(width * 0.8, 1.0)) + "\" height=\"" + Number(h) + "\" fill=\"" +
             series[s].color + "\"/>";
    }
    svg += "</g>";
    if (Labelled(i, bars.size()))
      svg += "<text class=\"label\" x=\"" + Number(x + width / 2) + "\" y=\"" +
             std::to_string(base + 16) + "\">" + EscapeHtml(bars[i].label) + "</text>";
  }
  return svg + "</svg>";
}

std::string StackedRows(const std::string& title, const std::vector<ChartSeries>& series,
                        const std::vector<StackedBar>& bars) {
  const int top = series.size() > 1 ? kLegendHeight + 4 : 4;
  const int height = top + static_cast<int>(bars.size()) * kRowHeight + 4;
  std::string svg = Open(title, height);
  if (series.size() > 1) svg += Legend(series, 4);
  uint64_t highest = 1;
  for (const StackedBar& bar : bars) highest = std::max(highest, Total(bar));
  const double room = kWidth - kLabelsWidth - 80;
  for (size_t i = 0; i < bars.size(); ++i) {
    const int y = top + static_cast<int>(i) * kRowHeight;
    svg += "<g><title>" + EscapeHtml(Tooltip(bars[i], series)) + "</title>";
    svg += "<text class=\"rowlabel\" x=\"" + std::to_string(kLabelsWidth - 6) + "\" y=\"" +
           std::to_string(y + 15) + "\">" + EscapeHtml(bars[i].label) + "</text>";
    double x = kLabelsWidth;
    for (size_t s = 0; s < series.size() && s < bars[i].values.size(); ++s) {
      const double w = static_cast<double>(bars[i].values[s]) / static_cast<double>(highest) * room;
      if (w <= 0) continue;
      svg += "<rect x=\"" + Number(x) + "\" y=\"" + std::to_string(y + 3) + "\" width=\"" +
             Number(std::max(w, 1.0)) + "\" height=\"" + std::to_string(kRowHeight - 6) +
             "\" fill=\"" + series[s].color + "\"/>";
      x += w;
    }
    svg += "<text x=\"" + Number(x + 6) + "\" y=\"" + std::to_string(y + 15) + "\">" +
           std::to_string(Total(bars[i])) + "</text></g>";
  }
  return svg + "</svg>";
}

std::string LineChart(const std::string& title, const std::vector<std::string>& columns,
                      const std::vector<ChartLine>& lines, const std::string& unit) {
  const int top = kLegendHeight + 8;
  const int base = top + kColumnsHeight;
  std::string svg = Open(title, base + 24);
  std::vector<ChartSeries> series;
  double highest = 0;
  for (const ChartLine& line : lines) {
    series.push_back(line.series);
    for (const auto& point : line.points)
      if (point) highest = std::max(highest, *point);
  }
  svg += Legend(series, 4);
  const double axisTop = AxisTop(highest, 0);
  svg += ValueAxis(axisTop, 0, base, kColumnsHeight, unit);
  const double width =
      std::min(kWidestColumn, static_cast<double>(kWidth - kLeft) /
                                  static_cast<double>(std::max<size_t>(columns.size(), 1)));
  const auto xOf = [&](size_t i) { return kLeft + width * (static_cast<double>(i) + 0.5); };
  const auto yOf = [&](double v) { return base - v / axisTop * kColumnsHeight; };
  for (const ChartLine& line : lines) {
    std::string path;
    bool drawing = false;
    for (size_t i = 0; i < line.points.size(); ++i) {
      if (!line.points[i]) {
        drawing = false;
        continue;
      }
      path += (drawing ? " L" : " M") + Number(xOf(i)) + " " + Number(yOf(*line.points[i]));
      drawing = true;
    }
    svg += "<path fill=\"none\" stroke-width=\"2\" stroke=\"" + line.series.color + "\" d=\"" +
           path + "\"/>";
    for (size_t i = 0; i < line.points.size() && i < columns.size(); ++i)
      if (line.points[i])
        svg += "<circle r=\"3\" cx=\"" + Number(xOf(i)) + "\" cy=\"" +
               Number(yOf(*line.points[i])) + "\" fill=\"" + line.series.color + "\"><title>" +
               EscapeHtml(line.series.name + " " + columns[i] + ": " + Number(*line.points[i]) +
                          unit) +
               "</title></circle>";
  }
  for (size_t i = 0; i < columns.size(); ++i)
    if (Labelled(i, columns.size()))
      svg += "<text class=\"label\" x=\"" + Number(xOf(i)) + "\" y=\"" + std::to_string(base + 16) +
             "\">" + EscapeHtml(columns[i]) + "</text>";
  return svg + "</svg>";
}

}  // namespace xkm
