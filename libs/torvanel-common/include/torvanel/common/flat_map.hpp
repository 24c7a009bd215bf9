#pragma once

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace torvanel::common {

// A map stored as one sorted vector of unique keys. Records carry maps as
// lists of (key, value) entries in which a repeated key replaces the
// earlier entry; `from_entries` applies exactly that rule.
template <class K, class V>
class FlatMap {
 public:
  using Entry = std::pair<K, V>;

  FlatMap() = default;

  // Entries in stream order; for a repeated key the last one is kept.
  static FlatMap from_entries(std::vector<Entry> entries) {
    auto by_key = [](const Entry& a, const Entry& b) { return a.first < b.first; };
    // Records usually list their keys in order; otherwise order the entries
    // by (key, stream position) and keep the last of each key.
    if (!std::is_sorted(entries.begin(), entries.end(), by_key)) {
      std::vector<std::pair<K, size_t>> order;
      order.reserve(entries.size());
      for (size_t i = 0; i < entries.size(); ++i) order.emplace_back(entries[i].first, i);
      std::sort(order.begin(), order.end());
      std::vector<Entry> sorted;
      sorted.reserve(order.size());
      for (size_t i = 0; i < order.size(); ++i) {
        if (i + 1 < order.size() && order[i + 1].first == order[i].first) continue;
        sorted.push_back(std::move(entries[order[i].second]));
      }
      entries = std::move(sorted);
    }
    size_t kept = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
      if (kept > 0 && entries[kept - 1].first == entries[i].first) {
        entries[kept - 1] = std::move(entries[i]);
      } else {
        if (kept != i) entries[kept] = std::move(entries[i]);
        ++kept;
      }
    }
    entries.resize(kept);
    FlatMap map;
    map.entries_ = std::move(entries);
    return map;
  }

  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  auto begin() const { return entries_.begin(); }
  auto end() const { return entries_.end(); }

  const V* find(const K& key) const {
    auto it = std::lower_bound(entries_.begin(), entries_.end(), key,
                               [](const Entry& e, const K& k) { return e.first < k; });
    return it != entries_.end() && it->first == key ? &it->second : nullptr;
  }

  bool operator==(const FlatMap&) const = default;

 private:
  std::vector<Entry> entries_;
};

}  // namespace torvanel::common
