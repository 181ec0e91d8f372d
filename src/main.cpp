#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iostream>

#include "solver.hpp"

int main() {
  const std::int32_t pair_budget = 4;
  const Sequence values{1, 2, 3, 1, 5, 6, 7, 8, 9};
  const auto n = static_cast<std::int32_t>(values.size());
  // Declared after the row, so it is released before it.
  MemoTable memo;
  const Value result = solve(n - 1, pair_budget, values, memo);

  errno = 0;
  std::cout << result << '\n' << std::flush;
  if (!std::cout) {
    // A full disk or a closed standard output would otherwise lose the answer silently.
    const int reason = errno != 0 ? errno : EIO;
    std::cerr << "selection: write error: " << std::strerror(reason) << '\n';
    return 1;
  }
  return 0;
}
