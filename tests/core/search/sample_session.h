#pragma once
// A session in a scratch program directory with the sample person as Person 1 and a given
// transit record as Person 2, charts computed; for tests that search real positions.
#include "core/app/session.h"
#include "core/app/user_interface.h"
#include "core/test_support.h"

#include <initializer_list>
#include <string>

namespace kesmora::test {

class SampleSession {
 public:
  // transitRecord: a names-file record ("Sydney,01 Mar 2024,9.30,P,-11,...").
  explicit SampleSession(const std::string& transitRecord, DateOrder order = DateOrder::DayMonthYear);

  // Planet index of a name in planet_names.txt.
  int Index(const std::string& name) const;
  // The run options of the session's settings with only these boxes ticked: transit
  // planets, natal planets and aspect indexes; pass 0 only.
  RunOptions Options(std::initializer_list<const char*> moving, std::initializer_list<const char*> natal,
                     std::initializer_list<int> aspects, int days) const;

  ScratchDir home;
  Session session;
  RecordingInterface ui;
};

}  // namespace kesmora::test
