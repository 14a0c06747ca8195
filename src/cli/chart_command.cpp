#include "chart_command.h"

#include "core/app/planetary_data.h"
#include "cli_common.h"

#include <fmt/format.h>

#include <cmath>
#include <iostream>
#include <memory>

namespace kesmora::cli {

namespace {

struct ChartOptionsCli {
  CommonOptions common;
  std::string format = "text";
};

void PrintText(const Session& s) {
  fmt::print("{:>2}  {:<18} {:<17} {:<17}\n", "#", "Name", "Transit Longitude", "Natal Longitude");
  for (const PlanetGridRow& row : PlanetGridRows(s))
    fmt::print("{:>2}  {:<18} {:<17} {:<17}\n", row.index, row.name, row.transit, row.natal);
}

void PrintCsv(const Session& s) {
  for (int i = 1; i <= s.tables.NumPlanetsUsed(); ++i) {
    // A value the ephemeris could not give is an empty field.
    auto at = [i](const std::vector<double>& v) {
      double x = v[static_cast<size_t>(i)];
      return std::isfinite(x) ? fmt::format("{:.6f}", x) : std::string();
    };
    fmt::print("{},{},{},{},{},{}\n", i, s.tables.Planet(i).name, at(s.chart.transitLon), at(s.chart.natalLon),
               at(s.chart.transitSpeed), at(s.chart.natalSpeed));
  }
}

}  // namespace

void AddChartCommand(CLI::App& app, int& exitCode) {
  auto options = std::make_shared<ChartOptionsCli>();
  CLI::App* cmd = app.add_subcommand("chart", "Compute Person 1 (natal) and Person 2 (transit) and print the planet grid");
  options->common.AddTo(*cmd);
  cmd->add_option("--format", options->format, "text or csv")->check(CLI::IsMember({"text", "csv"}));
  cmd->callback([options, &exitCode, &app] {
    Session session;
    ConsoleInterface ui;
    PrepareSession(session, options->common, app.get_name(), ui);
    if (!CalculatePlanetaryData(session, ui)) {
      exitCode = 2;
      return;
    }
    if (options->format == "csv")
      PrintCsv(session);
    else
      PrintText(session);
    exitCode = 0;
  });
}

}  // namespace kesmora::cli
