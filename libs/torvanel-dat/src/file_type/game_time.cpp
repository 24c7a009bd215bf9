#include "torvanel/dat/file_type/game_time.hpp"

#include "counted_list.hpp"
#include "torvanel/dat/utils.hpp"

namespace torvanel::dat {

// Smallest wire sizes, for capping list reservations: fixed fields plus an
// empty name's 2-byte length (its padding may be 0).
static constexpr uint64_t kMinTimeOfDaySize = 4 + 4 + 2;
static constexpr uint64_t kMinNameSize = 2;
static constexpr uint64_t kMinSeasonSize = 4 + 2;

// A name followed by the align step every calendar text has.
static ReadResult<std::string> read_aligned_name(Reader& r) {
  TV_TRY(auto name, read_pstring(r, 2));
  r.align4();
  return name;
}

ReadResult<TimeOfDay> TimeOfDay::unpack(Reader& r) {
  TimeOfDay t;
  TV_TRY(t.value, r.u32());
  TV_TRY(uint32_t flag, r.u32());
  t.flag = flag != 0;
  TV_TRY(t.name, read_aligned_name(r));
  return t;
}

ReadResult<Season> Season::unpack(Reader& r) {
  Season s;
  TV_TRY(s.value, r.u32());
  TV_TRY(s.name, read_aligned_name(r));
  return s;
}

ReadResult<GameTime> GameTime::unpack(Reader& r) {
  GameTime g;
  TV_TRY(g.value_f64, r.f64());
  TV_TRY(g.value_1, r.u32());
  TV_TRY(g.value_2, r.u32());
  TV_TRY(g.value_3, r.u32());
  TV_TRY(g.name, read_aligned_name(r));
  TV_TRY(g.times_of_day, read_counted<TimeOfDay>(r, kMinTimeOfDaySize, TimeOfDay::unpack));
  TV_TRY(g.name_list, read_counted<std::string>(r, kMinNameSize, read_aligned_name));
  TV_TRY(g.seasons, read_counted<Season>(r, kMinSeasonSize, Season::unpack));
  return g;
}

}  // namespace torvanel::dat
