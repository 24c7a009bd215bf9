#include "progress.hpp"

#include <unistd.h>

#include <fmt/format.h>

namespace torvanel::synth {

Progress Progress::for_stderr() { return Progress(::isatty(STDERR_FILENO) == 1); }

void Progress::start(std::string label, uint64_t total, Unit unit) {
  label_ = std::move(label);
  total_ = total;
  done_ = 0;
  unit_ = unit;
  last_draw_ = {};
  draw();
}

void Progress::advance(uint64_t n) {
  done_ += n;
  if (!enabled_) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - last_draw_ >= std::chrono::milliseconds(100)) draw();
}

void Progress::finish() {
  if (!enabled_) return;
  draw();
  std::fputc('\n', stderr);
}

void Progress::draw() {
  if (!enabled_) return;
  last_draw_ = std::chrono::steady_clock::now();
  const unsigned percent = total_ == 0 ? 100 : static_cast<unsigned>(done_ * 100 / total_);
  const std::string counts =
      unit_ == Unit::Bytes
          ? fmt::format("{:.1f}/{:.1f} MiB", static_cast<double>(done_) / (1 << 20),
                        static_cast<double>(total_) / (1 << 20))
          : fmt::format("{}/{}", done_, total_);
  // "\r" returns to the line start, "\x1b[K" clears what a longer line left.
  std::fputs(fmt::format("\rbrambolt-synth: {} {:3}% ({})\x1b[K", label_, percent, counts).c_str(),
             stderr);
  std::fflush(stderr);
}

}  // namespace torvanel::synth
