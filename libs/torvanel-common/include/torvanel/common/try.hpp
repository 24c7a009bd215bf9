#pragma once

// Early-return helpers for std::expected, the error idiom of every library
// here. The error of a failed expression is passed up unchanged (or
// converted, when the enclosing function's error type is constructible
// from it).
//
//   TV_TRY(auto id, r.u32());        // declares `id`
//   TV_TRY(frame.origin, read(r));   // assigns to an existing lvalue
//   TV_CHECK(r.skip_to_end());       // expected<void, E>

#define TV_CONCAT_INNER(a, b) a##b
#define TV_CONCAT(a, b) TV_CONCAT_INNER(a, b)

#define TV_TRY_IMPL(tmp, lhs, expr)                      \
  auto tmp = (expr);                                     \
  if (!tmp) return std::unexpected(std::move(tmp).error()); \
  lhs = std::move(*tmp)

#define TV_TRY(lhs, expr) TV_TRY_IMPL(TV_CONCAT(tv_try_, __LINE__), lhs, expr)

#define TV_CHECK_IMPL(tmp, expr) \
  if (auto tmp = (expr); !tmp) return std::unexpected(std::move(tmp).error())

#define TV_CHECK(expr) TV_CHECK_IMPL(TV_CONCAT(tv_check_, __LINE__), expr)
