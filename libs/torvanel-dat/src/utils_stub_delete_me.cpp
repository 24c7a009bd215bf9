#include "torvanel/dat/utils.hpp"
namespace torvanel::dat { std::string utf8_lossy(std::string_view b) { return std::string(b); } }
