// meridane-cli report / quick-view: the data of a report exactly as the screens show it.
// JSON carries every text, colour and number the window presents; the plain output is
// tab-separated lines of the same texts.
#include <algorithm>
#include <iostream>
#include <memory>

#include "cli/cli_common.h"
#include "cli/json_stream.h"
#include "reports/classification.h"
#include "reports/glucose_profile.h"
#include "reports/quick_view.h"
#include "reports/report_sets.h"
#include "reports/summary.h"
#include "store/patient_store.h"
#include "store/reading_store.h"

namespace meridane::cli {
namespace {

using nlohmann::json;

json RgbJson(const std::optional<Rgb>& c) {
  if (!c) return nullptr;
  return json::array({c->r, c->g, c->b});
}

json PeriodJson(const ReportPeriod& p) {
  return {{"from", FormatDate(p.first)}, {"to", FormatDate(p.last)}};
}

// The grid's members of the report object. Rows and cell styles are produced one at a time:
// a log book or data list of many readings is written without a JSON tree of it.
void AddGridMembers(JsonObjectStream& js, const GridSet& g) {
  json columns = json::array();
  for (const GridColumn& c : g.columns)
    columns.push_back({{"title", c.title}, {"align", c.align}, {"width", c.width}});
  js.Add("columnSpec", g.columnSpec);
  js.Add("columns", std::move(columns));
  js.Add("readingRows", g.readingRows);
  js.AddArray("rows", [&g, r = std::size_t{0}](json& row) mutable {
    if (r >= g.rows.size()) return false;
    row = json::array();
    for (const GridCell& cell : g.rows[r]) row.push_back(cell.text);
    ++r;
    return true;
  });
  js.AddArray("cellStyles", [&g, r = std::size_t{0}, c = std::size_t{0}](json& style) mutable {
    for (; r < g.rows.size(); ++r, c = 0)
      for (; c < g.rows[r].size(); ++c) {
        const GridCell& cell = g.rows[r][c];
        if (!cell.color && !cell.background) continue;
        style = {{"row", r},
                 {"column", c},
                 {"color", RgbJson(cell.color)},
                 {"background", RgbJson(cell.background)}};
        ++c;
        return true;
      }
    return false;
  });
}

json FrameJson(const ChartFrame& f) {
  return {{"title", f.title},
          {"valueCaption", f.valueCaption},
          {"xAxis", {{"min", f.xMin}, {"max", f.xMax}}},
          {"yAxis", {{"min", f.yMin}, {"max", f.yMax}}},
          {"targetBand", {{"low", f.bandLow}, {"high", f.bandHigh}}}};
}

template <class Set>
json PointChartJson(const Set& s) {
  json j = FrameJson(s.frame);
  json labels = json::array(), points = json::array();
  for (const AxisLabel& l : s.labels) labels.push_back({{"x", l.x}, {"text", l.text}});
  for (const ChartPoint& p : s.points) points.push_back({{"x", p.x}, {"y", p.y}});
  j["labels"] = labels;
  j["points"] = points;
  return j;
}

json AverageChartJson(const AverageChartSet& s) {
  json j = FrameJson(s.frame);
  j["categories"] = s.categories;
  json series = json::array();
  for (const AverageSeries* a : {&s.before, &s.after}) {
    json bars = json::array();
    for (const AverageBar& b : a->bars)
      bars.push_back(b.present ? json{{"value", b.value}, {"label", b.label}} : json(nullptr));
    series.push_back({{"name", a->name}, {"bars", bars}});
  }
  j["series"] = series;
  return j;
}

json HistogramJson(const HistogramSet& h) {
  json bars = json::array();
  for (int b = 0; b < kHistogramBars; ++b)
    bars.push_back(
        {{"label", h.barLabels[b]}, {"count", h.counts[b]}, {"countLabel", h.countLabels[b]}});
  return {{"title", h.title},
          {"countCaption", h.countCaption},
          {"seriesCaption", h.seriesCaption},
          {"bars", bars},
          {"countAxis", {{"min", 0}, {"max", h.axisTop}, {"step", h.axisStep}}}};
}

json PieJson(const PieSet& s) {
  json pies = json::array();
  for (const Pie& p : s.pies) {
    json bands = json::array(), slices = json::array();
    for (int b = 0; b < kBandCount; ++b)
      bands.push_back({{"band", s.bandNames[b]},
                       {"count", p.counts[b]},
                       {"percent", p.percent[b]},
                       {"percentText", p.percentText[b]}});
    for (const PieSlice& sl : p.slices)
      slices.push_back({{"band", BandName(sl.band)},
                        {"count", sl.count},
                        {"startAngle", sl.startAngle},
                        {"sweep", sl.sweep}});
    pies.push_back({{"title", p.title},
                    {"bands", bands},
                    {"total", p.total},
                    {"empty", p.total == 0},
                    {"slices", slices}});
  }
  return {{"title", s.title}, {"secondTitle", s.secondTitle}, {"pies", pies}};
}

json SummaryJson(const SummaryFields& f, const GlucoseProfileSet& g) {
  json fields = json::array();
  for (const auto& [caption, value] : f.Captioned())
    fields.push_back({{"caption", caption}, {"value", value}});
  json ranges = json::array();
  for (int i = 0; i < kProfileRanges; ++i)
    ranges.push_back({{"label", g.rangeLabels[i]},
                      {"count", g.counts[i]},
                      {"percent", g.percent[i]},
                      {"percentText", g.percentText[i]}});
  return {{"fields", fields},
          {"dayAverageScreen", f.dayAverageScreen},
          {"glucoseProfile",
           {{"ranges", ranges},
            {"readingCount", g.readingCount},
            {"daysWithReadings", g.daysWithReadings},
            {"mean", g.mean},
            {"sd", g.sd},
            {"cv", g.cv},
            {"meanText", g.meanText},
            {"sdText", g.sdText},
            {"cvText", g.cvText}}}};
}

json OrNull(const std::optional<double>& v) { return v ? json(*v) : json(nullptr); }

// Glucose figures stay in mg/dL and unrounded; rounding is for the pages only.
json GlucoseProfileJson(const GlucoseProfileReport& g) {
  json ranges = json::array(), bins = json::array();
  for (const ProfileRange& r : g.ranges)
    ranges.push_back({{"label", r.label}, {"count", r.count}, {"percent", r.percent}});
  for (const ProfileBin& b : g.bins) {
    json bin = {{"start", b.start}, {"end", b.end}, {"count", b.count}};
    static const char* const kKeys[kProfilePercentiles] = {"p10", "p25", "p50", "p75", "p90"};
    for (int k = 0; k < kProfilePercentiles; ++k)
      bin[kKeys[k]] = b.percentiles ? json((*b.percentiles)[k]) : json(nullptr);
    bins.push_back(bin);
  }
  return {{"type", kReportGlucoseProfile},
          {"unit", g.unit},
          {"days", g.days},
          {"readings", g.readings},
          {"daysWithReadings", g.daysWithReadings},
          {"readingsPerDay", g.readingsPerDay},
          {"ranges", ranges},
          {"bins", bins},
          {"mean", OrNull(g.mean.value)},
          {"sd", OrNull(g.sd.value)},
          {"cv", OrNull(g.cv.value)},
          {"lbgi", OrNull(g.lbgi.value)},
          {"hbgi", OrNull(g.hbgi.value)},
          {"adrr", OrNull(g.adrr.value)}};
}

void PrintGlucoseProfile(const GlucoseProfileReport& g) {
  PrintRow({g.title, g.unit});
  for (const ProfileRange& r : g.ranges) PrintRow({r.label, std::to_string(r.count), r.percentText});
  for (const ProfileBin& b : g.bins) {
    std::vector<std::string> cells{b.label, std::to_string(b.count)};
    cells.insert(cells.end(), b.texts.begin(), b.texts.end());
    PrintRow(cells);
  }
  for (const ProfileFigure* f : g.Figures())
    PrintRow({f->caption, f->text, f->value ? f->category : f->need});
}

// ---- plain output ----

void PrintGrid(const GridSet& g) {
  std::vector<std::string> titles;
  for (const GridColumn& c : g.columns) titles.push_back(c.title);
  PrintRow(titles);
  for (const GridRow& row : g.rows) {
    std::vector<std::string> cells;
    for (const GridCell& c : row) cells.push_back(c.text);
    PrintRow(cells);
  }
}

std::string Number(double v) { return json(v).dump(); }

template <class Set>
void PrintPointChart(const Set& s) {
  PrintRow({s.frame.title});
  for (const AxisLabel& l : s.labels) PrintRow({"label", Number(l.x), l.text});
  for (const ChartPoint& p : s.points) PrintRow({"point", Number(p.x), Number(p.y)});
}

void PrintAverageChart(const AverageChartSet& s) {
  PrintRow({s.frame.title});
  for (std::size_t i = 0; i < s.categories.size(); ++i)
    for (const AverageSeries* a : {&s.before, &s.after})
      if (a->bars[i].present)
        PrintRow({s.categories[i], a->name, Number(a->bars[i].value), a->bars[i].label});
}

void PrintHistogram(const HistogramSet& s) {
  PrintRow({s.title});
  for (int b = 0; b < kHistogramBars; ++b) PrintRow({s.barLabels[b], s.countLabels[b]});
}

void PrintPie(const PieSet& s) {
  PrintRow({s.title});
  PrintRow({s.secondTitle});
  for (const Pie& p : s.pies) {
    std::vector<std::string> cells{p.title};
    for (int b = 0; b < kBandCount; ++b) cells.push_back(std::to_string(p.counts[b]));
    for (int b = 0; b < kBandCount; ++b) cells.push_back(p.percentText[b]);
    PrintRow(cells);
  }
}

void PrintSummary(const SummaryFields& f) {
  for (const auto& [caption, value] : f.Captioned()) PrintRow({caption, value});
}

struct ReportOptions {
  std::string id;
  int type = -1;
  std::string from, to;
  int latest = 0;
  bool json = false;
};

ReportPeriod ReportPeriodOf(const ReportOptions& o, const ReadingTable& readings) {
  const Period p = ResolveReportPeriod(o.from, o.to, o.latest, &readings);
  return {p.from, p.to};
}

void RunReport(const ReportOptions& o, const Context& ctx) {
  if (o.type < 0 || (o.type > kReportSummary && o.type != kReportGlucoseProfile))
    throw CliExit{2, "--type: expected a report type 0 to 8 or 11"};
  Database db = OpenDatabaseOrExit(ctx);
  CPatientProfile patient;
  LoadPatientOrExit(db, o.id, patient);
  ReadingTable readings;
  LoadReadingsOrExit(db, patient, readings);
  const ReportPeriod period = ReportPeriodOf(o, readings);
  const ReportTargets targets = LoadReportTargets(patient);

  json j = {{"type", o.type},
            {"name", ReportName(o.type)},
            {"IDNo", patient.IDNo},
            {"fullName", patient.fullName},
            {"period", PeriodJson(period)},
            {"unit", targets.mmol ? "mmol/L" : "mg/dL"},
            {"unitCaption", targets.unitCaption}};
  auto emit = [&](const json& body, const auto& plain) {
    if (!o.json) return plain();
    j.update(body);
    PrintJson(j);
  };
  auto emitGrid = [&](const GridSet& g) {
    if (!o.json) return PrintGrid(g);
    JsonObjectStream js;
    for (auto& [key, value] : j.items()) js.Add(key, value);
    AddGridMembers(js, g);
    js.Write(std::cout);
  };
  const CPatientProfile& p = patient;
  switch (o.type) {
    case kReportLogBook: {
      return emitGrid(BuildLogBookSet(p, readings, period, targets));
    }
    case kReportDataList: {
      return emitGrid(BuildDataListSet(p, readings, period, targets));
    }
    case kReportTrend: {
      const TrendSet s = BuildTrendSet(p, readings, period, targets);
      return emit(PointChartJson(s), [&] { PrintPointChart(s); });
    }
    case kReportStandardDay: {
      const StandardDaySet s = BuildStandardDaySet(p, readings, period, targets);
      return emit(PointChartJson(s), [&] { PrintPointChart(s); });
    }
    case kReportDayAverage: {
      const DayAverageSet s = BuildDayAverageSet(p, readings, period, targets);
      return emit(AverageChartJson(s), [&] { PrintAverageChart(s); });
    }
    case kReportWeekAverage: {
      const WeekAverageSet s = BuildWeekAverageSet(p, readings, period, targets);
      return emit(AverageChartJson(s), [&] { PrintAverageChart(s); });
    }
    case kReportHistogram: {
      const HistogramSet s = BuildHistogramSet(p, readings, period, targets);
      return emit(HistogramJson(s), [&] { PrintHistogram(s); });
    }
    case kReportPie: {
      const PieSet s = BuildPieSet(p, readings, period, targets);
      return emit(PieJson(s), [&] { PrintPie(s); });
    }
    case kReportGlucoseProfile: {
      const GlucoseProfileReport g =
          BuildGlucoseProfile(readings, period, targets.mmol, patient.timeUnit);
      if (!o.json) return PrintGlucoseProfile(g);
      // One object of its own: the profile's members only.
      return PrintJson(GlucoseProfileJson(g));
    }
    default: {
      const SummaryFields f = BuildSummaryChecks(p, readings, period, targets);
      return emit(SummaryJson(f, BuildGlucoseProfileSet(readings, period, targets)),
                  [&] { PrintSummary(f); });
    }
  }
}

struct QuickViewOptions {
  bool all = false, special = false;
  std::vector<std::string> names;
  std::string from, to;
  bool json = false;
};

void RunQuickView(const QuickViewOptions& o, const Context& ctx) {
  if (!o.all && !o.special && o.names.empty())
    throw CliExit{2, "quick-view needs --all, --special or --name"};
  const Date first = ParseDateArg(o.from, "--from");
  const Date last = ParseDateArg(o.to, "--to");
  if (last < first) throw CliExit{1, PeriodRefusalText()};
  const ReportPeriod period{first, last};
  Database db = OpenDatabaseOrExit(ctx);
  std::vector<SelectionRow> selection = PatientSelectionList(db);
  for (std::size_t i = 0; i < selection.size(); ++i) {
    SelectionRow& row = selection[i];
    if (i == 0)
      row.checked = o.all;
    else if (i == 1)
      row.checked = o.special;
    else
      row.checked = std::find(o.names.begin(), o.names.end(), row.text) != o.names.end();
  }
  const QuickViewSet set = BuildQuickView(db, selection, period);
  if (!o.json) {
    for (const QuickViewRow& r : set.rows)
      PrintRow(std::vector<std::string>(r.cells.begin(), r.cells.end()));
    return;
  }
  json columns = json::array();
  for (const GridColumn& c : ParseColumnSpec(set.columnSpec)) columns.push_back(c.title);
  json rows = json::array();
  for (const QuickViewRow& r : set.rows) rows.push_back(r.cells);
  PrintJson({{"name", ReportName(kReportQuickView)},
             {"period", PeriodJson(period)},
             {"columnSpec", set.columnSpec},
             {"columns", columns},
             {"rows", rows}});
}

void RegisterReport(CLI::App& app, Context& ctx) {
  auto o = std::make_shared<ReportOptions>();
  auto* cmd = app.add_subcommand("report", "The data of a report of one patient");
  cmd->add_option("id", o->id, "Patient ID")->required();
  cmd->add_option("--type", o->type, "Report type 0-8, or 11 (glucose profile)")->required();
  cmd->add_option("--from", o->from, "First day YYYY-MM-DD");
  cmd->add_option("--to", o->to, "Last day YYYY-MM-DD");
  cmd->add_option("--latest", o->latest,
                  "The DAYS days before the newest reading's day, that day included");
  cmd->add_flag("--json", o->json, "One JSON document");
  cmd->callback([o, &ctx] { RunReport(*o, ctx); });

  auto q = std::make_shared<QuickViewOptions>();
  auto* qv = app.add_subcommand("quick-view", "The multiple quick view rows");
  qv->add_flag("--all", q->all, "All patients");
  qv->add_flag("--special", q->special, "The special view patients");
  qv->add_option("--name", q->names, "These patients by full name");
  qv->add_option("--from", q->from, "First day YYYY-MM-DD")->required();
  qv->add_option("--to", q->to, "Last day YYYY-MM-DD")->required();
  qv->add_flag("--json", q->json, "One JSON document");
  qv->callback([q, &ctx] { RunQuickView(*q, ctx); });
}

Register reg(&RegisterReport);

}  // namespace
}  // namespace meridane::cli
