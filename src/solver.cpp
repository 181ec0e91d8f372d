#include "solver.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

// values[index] for a signed position. The caller keeps 0 <= index < values.size(): the
// program checks nothing, and only a test build's standard library checks the subscript.
Value unchecked_value(const Sequence& values, std::int32_t index) {
  return values[static_cast<std::size_t>(index)];
}

}  // namespace

Value solve(std::int32_t index, std::int32_t pairs_left, const Sequence& values, MemoTable& memo) {
  if (index < 0) {
    return 0;
  }
  const MemoKey key{index, pairs_left};
  if (const auto found = memo.find(key); found != memo.end()) {
    return found->second;
  }

  Value best = 0;

  // Take the value alone; position index - 1 stays unchosen.
  const Value current = unchecked_value(values, index);
  best = std::max(best, current + solve(index - 2, pairs_left, values, memo));

  // Leave position index unchosen.
  best = std::max(best, solve(index - 1, pairs_left, values, memo));

  // Take positions index - 1 and index as one run; position index - 2 stays unchosen.
  if (pairs_left > 0 && index > 0) {
    const Value pair = current + unchecked_value(values, index - 1);
    best = std::max(best, pair + solve(index - 3, pairs_left - 1, values, memo));
  }

  // Every state solved above has a smaller index, so this key is still absent.
  memo.emplace(key, best);
  return best;
}
