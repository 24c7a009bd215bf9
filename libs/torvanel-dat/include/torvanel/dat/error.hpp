#pragma once

#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>

#include "torvanel/common/io_error.hpp"
#include "torvanel/common/reader.hpp"

namespace torvanel::dat {

using common::BinReadError;
using common::IoError;

// The error of the DAT layer: the archive container and the record decoders
// that return it. Variants, in order, with their texts:
//   Io                     "IO error: {}"
//   BinRead                "Binary read error: {}"
//   NotFound               "File ID {:08X} not found in provider"
//   DuplicateId            "Duplicate File ID {:08X} detected"
//   DuplicateNamespacedId  "Duplicate namespaced file {}:{:08X} detected"
//   InvalidMagic           "Invalid magic for format: {}"
//   UnsupportedVersion     "Unsupported version: {}"
//   InvalidNamespace       "Invalid namespace: {}"
//   Corruption             "Corruption detected: {}"
//   DecompressionFailed    "Failed to recover compressed file {:08X}"
//   PathError              "Failed to open file at {}: {}"
//   Other                  "Other error: {}"
// Io, BinRead and PathError carry their error as the cause; the others
// have none.
class DatError {
 public:
  struct Io { IoError error; };
  struct BinRead { BinReadError error; };
  struct NotFound { uint32_t id; };
  struct DuplicateId { uint32_t id; };
  struct DuplicateNamespacedId { std::string namespace_; uint32_t file_id; };
  struct InvalidMagic { std::string text; };
  struct UnsupportedVersion { uint32_t version; };
  struct InvalidNamespace { std::string text; };
  struct Corruption { std::string text; };
  struct DecompressionFailed { uint32_t id; };
  struct PathError { std::filesystem::path path; IoError source; };
  struct Other { std::string text; };

  using Value = std::variant<Io, BinRead, NotFound, DuplicateId, DuplicateNamespacedId,
                             InvalidMagic, UnsupportedVersion, InvalidNamespace, Corruption,
                             DecompressionFailed, PathError, Other>;

  // The conversions used when a reader or file-system failure propagates
  // into a DatError-returning operation.
  DatError(IoError error) : value_(Io{std::move(error)}) {}
  DatError(BinReadError error) : value_(BinRead{std::move(error)}) {}

  // Any variant, e.g. DatError::of(DatError::NotFound{id}).
  template <class V>
    requires std::is_constructible_v<Value, V&&>
  static DatError of(V&& variant) {
    return DatError(Value(std::forward<V>(variant)));
  }

  const Value& value() const { return value_; }
  template <class V>
  const V* get() const { return std::get_if<V>(&value_); }

  // The variant's text, as tabled above.
  std::string text() const;
  // The text of the cause, for the variants that carry one.
  std::optional<std::string> source_text() const;
  // Variant name and payload, for diagnostics.
  std::string debug() const;

 private:
  explicit DatError(Value value) : value_(std::move(value)) {}
  Value value_;
};

template <class T>
using DatResult = std::expected<T, DatError>;

}  // namespace torvanel::dat
