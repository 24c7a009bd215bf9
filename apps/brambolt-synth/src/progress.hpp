#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace torvanel::synth {

// A one-line progress display on standard error, redrawn in place at most
// ten times a second. It draws only when standard error is a terminal:
// redirected into a file or a pipe it writes nothing at all.
class Progress {
 public:
  enum class Unit { Items, Bytes };

  // Enabled when standard error is a terminal.
  static Progress for_stderr();
  explicit Progress(bool enabled) : enabled_(enabled) {}

  // Begins a new line of work of `total` units.
  void start(std::string label, uint64_t total, Unit unit = Unit::Items);
  void advance(uint64_t n = 1);
  // Draws the final state and ends the line.
  void finish();

 private:
  void draw();

  bool enabled_;
  std::string label_;
  uint64_t total_ = 0;
  uint64_t done_ = 0;
  Unit unit_ = Unit::Items;
  std::chrono::steady_clock::time_point last_draw_{};
};

}  // namespace torvanel::synth
