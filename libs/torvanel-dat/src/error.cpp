#include "torvanel/dat/error.hpp"

#include <fmt/format.h>

#include "torvanel/dat/utils.hpp"

namespace torvanel::dat {
namespace {

template <class... Fs>
struct Overload : Fs... {
  using Fs::operator()...;
};
template <class... Fs>
Overload(Fs...) -> Overload<Fs...>;

std::string path_text(const std::filesystem::path& path) { return utf8_lossy(path.native()); }

}  // namespace

std::string DatError::text() const {
  return std::visit(
      Overload{
          [](const Io& e) { return fmt::format("IO error: {}", e.error.text()); },
          [](const BinRead& e) { return fmt::format("Binary read error: {}", e.error.text()); },
          [](const NotFound& e) { return fmt::format("File ID {:08X} not found in provider", e.id); },
          [](const DuplicateId& e) { return fmt::format("Duplicate File ID {:08X} detected", e.id); },
          [](const DuplicateNamespacedId& e) {
            return fmt::format("Duplicate namespaced file {}:{:08X} detected", e.namespace_,
                               e.file_id);
          },
          [](const InvalidMagic& e) { return fmt::format("Invalid magic for format: {}", e.text); },
          [](const UnsupportedVersion& e) {
            return fmt::format("Unsupported version: {}", e.version);
          },
          [](const InvalidNamespace& e) { return fmt::format("Invalid namespace: {}", e.text); },
          [](const Corruption& e) { return fmt::format("Corruption detected: {}", e.text); },
          [](const DecompressionFailed& e) {
            return fmt::format("Failed to recover compressed file {:08X}", e.id);
          },
          [](const PathError& e) {
            return fmt::format("Failed to open file at {}: {}", path_text(e.path), e.source.text());
          },
          [](const Other& e) { return fmt::format("Other error: {}", e.text); },
      },
      value_);
}

std::optional<std::string> DatError::source_text() const {
  if (auto* e = get<Io>()) return e->error.text();
  if (auto* e = get<BinRead>()) return e->error.text();
  if (auto* e = get<PathError>()) return e->source.text();
  return std::nullopt;
}

std::string DatError::debug() const {
  return std::visit(
      Overload{
          [](const Io& e) { return fmt::format("Io({:?})", e.error.text()); },
          [](const BinRead& e) { return fmt::format("BinRead({:?})", e.error.text()); },
          [](const NotFound& e) { return fmt::format("NotFound({})", e.id); },
          [](const DuplicateId& e) { return fmt::format("DuplicateId({})", e.id); },
          [](const DuplicateNamespacedId& e) {
            return fmt::format("DuplicateNamespacedId {{ namespace: {:?}, file_id: {} }}",
                               e.namespace_, e.file_id);
          },
          [](const InvalidMagic& e) { return fmt::format("InvalidMagic({:?})", e.text); },
          [](const UnsupportedVersion& e) { return fmt::format("UnsupportedVersion({})", e.version); },
          [](const InvalidNamespace& e) { return fmt::format("InvalidNamespace({:?})", e.text); },
          [](const Corruption& e) { return fmt::format("Corruption({:?})", e.text); },
          [](const DecompressionFailed& e) { return fmt::format("DecompressionFailed({})", e.id); },
          [](const PathError& e) {
            return fmt::format("PathError {{ path: {:?}, source: {:?} }}", path_text(e.path),
                               e.source.text());
          },
          [](const Other& e) { return fmt::format("Other({:?})", e.text); },
      },
      value_);
}

}  // namespace torvanel::dat
