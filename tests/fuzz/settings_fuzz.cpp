// Kesmora.INI: whatever a file holds, what is taken is written back and read again unchanged.
#include "fuzz_support.h"

#include "core/settings/settings.h"

using namespace kesmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Settings read;
  read.SetPathDefaults("/kesmora");
  ParseSettings(read, fuzz::Text(data, size));
  const std::string written = SettingsText(read);

  Settings again;
  again.SetPathDefaults("/kesmora");
  ParseSettings(again, written);
  KESMORA_REQUIRE(SettingsText(again) == written);
  KESMORA_REQUIRE(read.mainWindow.height > 0 && read.mainWindow.width > 0 && read.gridForm.top >= 0);
  return 0;
}
