#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace torvanel::verify {

// What is wrong with one line of a placement file, given without its line
// feed; nothing when it is byte for byte a line the bake could have
// written: the twelve keys in order without blanks, "obj_id" as "0x" and
// eight upper-case hex digits in quotes, the eight floats as the bake
// prints a finite single-precision value (six decimals, never an exponent;
// "-0.000000" is how a tiny negative value prints), "x" and "y" within the
// landblock (0 to 192), the source cell column and row 0-8 and the object
// index a plain decimal below 2^32. The first fault found is described,
// naming its key.
std::optional<std::string> check_placement_line(std::string_view line);

}  // namespace torvanel::verify
