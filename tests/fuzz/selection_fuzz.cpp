// Search-selection files (.opt): the boxes a file ticks survive a write and a read.
#include "fuzz_support.h"

#include "core/settings/selection_file.h"

using namespace kesmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Settings read;
  ParseSelectionText(read, fuzz::Text(data, size));
  Settings again;
  ParseSelectionText(again, SelectionText(read, ReferenceTables{}));
  KESMORA_REQUIRE(again.chkP1Planets == read.chkP1Planets && again.chkP2Planets == read.chkP2Planets &&
                  again.chkAspects == read.chkAspects);
  return 0;
}
