// OPTIONS.OPT: every option read is a number a single-precision value holds.
#include "fuzz_support.h"

#include "core/settings/options_file.h"

#include <cmath>

using namespace kesmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  OptionValues values{};
  ParseOptionsText(values, fuzz::Text(data, size));
  for (float v : values) KESMORA_REQUIRE(std::isfinite(v));
  return 0;
}
