// Election files: any text is read whole or refused with a message; what is read is written
// back as lines that read back the same.
#include "fuzz_support.h"

#include "core/search/election_file.h"

using namespace kesmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const ReferenceTables& tables = fuzz::ShippedTables();
  const std::string text = fuzz::Text(data, size);
  ElectionRead read = ParseElectionText(text, "fuzz.elc", tables);
  KESMORA_REQUIRE(read ? !read.election.items.empty() : read.election.items.empty() && !read.error.empty());
  if (!read) return 0;
  ElectionRead again = ParseElectionText(ElectionFileText(read.election, tables, "again"), "again.elc", tables);
  KESMORA_REQUIRE(again && again.election.items == read.election.items);
  return 0;
}
