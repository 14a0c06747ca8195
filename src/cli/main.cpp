// kesmora-cli: the program's computations without a window.
#include "aspectarian_command.h"
#include "atlas_command.h"
#include "chart_command.h"
#include "elect_command.h"
#include "hotspots_command.h"
#include "person_command.h"
#include "cli_common.h"
#include "core/reference/reference_tables.h"
#include "core/search/hit_table.h"

#include <CLI/CLI.hpp>

#include <clocale>
#include <iostream>

int main(int argc, char** argv) {
  // Date order and clock follow the user's locale; numbers keep their point.
  std::setlocale(LC_TIME, "");
  CLI::App app{"Kesmora: favourable times from planetary transits", "kesmora-cli"};
  app.require_subcommand(1);
  kesmora::cli::AddProgramOptions(app);
  int exitCode = 0;
  kesmora::cli::AddChartCommand(app, exitCode);
  kesmora::cli::AddAspectarianCommand(app, exitCode);
  kesmora::cli::AddHotspotsCommand(app, exitCode);
  kesmora::cli::AddElectCommand(app, exitCode);
  kesmora::cli::AddAtlasCommand(app, exitCode);
  kesmora::cli::AddPersonCommand(app, exitCode);
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::cerr << "kesmora-cli: " << e.what() << "\n";
    return 2;
  } catch (const kesmora::cli::UsageError& e) {
    std::cerr << "kesmora-cli: " << e.what() << "\n";
    return 2;
  } catch (const kesmora::HitTableFull& e) {
    // Nothing is written: the files named keep what they held.
    std::cerr << "kesmora-cli: " << e.what() << " --max-hits raises the limit; --max-hits 0 lifts it.\n";
    return 1;
  } catch (const kesmora::FatalError& e) {
    // A program directory the program cannot use is bad input like any other.
    std::cerr << e.title << ": " << e.what() << "\n";
    return 2;
  } catch (const std::exception& e) {
    // Whatever else goes wrong ends the program with one line, never with an abort.
    std::cerr << "kesmora-cli: " << e.what() << "\n";
    return 2;
  } catch (...) {
    std::cerr << "kesmora-cli: unexpected error\n";
    return 2;
  }
  return exitCode;
}
