#pragma once
// What the fuzz harnesses share: the input as text, the shipped reference tables, and a check
// that stops the run with a message when a property of the parsed result does not hold.
#include "core/reference/reference_tables.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace kesmora::fuzz {

inline std::string Text(const uint8_t* data, size_t size) { return std::string(reinterpret_cast<const char*>(data), size); }

// Read once for all the inputs of a run.
inline const ReferenceTables& ShippedTables() {
  static const ReferenceTables tables = [] {
    ReferenceTables t;
    LoadReferenceData(t, KESMORA_SHIPPED_DATA_DIR);
    return t;
  }();
  return tables;
}

// Crashes on purpose, so libFuzzer keeps the input and the replay test fails.
inline void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "property does not hold: %s\n", what);
  std::abort();
}

}  // namespace kesmora::fuzz

#define KESMORA_REQUIRE(condition) ::kesmora::fuzz::Require((condition), #condition)
