#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "torvanel/common/reader.hpp"

namespace torvanel::dat {

using common::ReadResult;
using common::Reader;

// The calendar of a Region. Nothing here is interpreted: every value is
// kept as read. Texts are followed by an align step counted from the first
// byte of the Region record, so the reader must have started there.

// One named span of the day.
struct TimeOfDay {
  uint32_t value = 0;
  bool flag = false;  // stored as a u32, nonzero meaning true
  std::string name;

  static ReadResult<TimeOfDay> unpack(Reader& r);
  bool operator==(const TimeOfDay&) const = default;
};

struct Season {
  uint32_t value = 0;
  std::string name;

  static ReadResult<Season> unpack(Reader& r);
  bool operator==(const Season&) const = default;
};

struct GameTime {
  double value_f64 = 0;
  uint32_t value_1 = 0;
  uint32_t value_2 = 0;
  uint32_t value_3 = 0;
  std::string name;
  std::vector<TimeOfDay> times_of_day;
  std::vector<std::string> name_list;
  std::vector<Season> seasons;

  static ReadResult<GameTime> unpack(Reader& r);
  bool operator==(const GameTime&) const = default;
};

}  // namespace torvanel::dat
