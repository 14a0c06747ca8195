// The floor of a year's scan as a whole process: one ephemeris call per moving body (Sun to
// Pluto) per day over 2025, bare, in a loop. bench/process_times.py times it beside the
// program's own year.
#include <swephexp.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  std::string path = argc > 1 ? argv[1] : "/usr/share/libswe/ephe";
  swe_set_ephe_path(path.c_str());
  const double start = swe_julday(2025, 1, 1, 0.0, SE_GREG_CAL);
  double xx[6], sum = 0;
  char error[256];
  for (int body = SE_SUN; body <= SE_PLUTO; ++body)
    for (int day = 0; day < 365; ++day) {
      if (swe_calc_ut(start + day, body, SEFLG_SWIEPH | SEFLG_SPEED, xx, error) < 0) {
        std::fprintf(stderr, "%s\n", error);
        return 1;
      }
      sum += xx[0];
    }
  swe_close();
  std::printf("%.6f\n", sum);
  return 0;
}
