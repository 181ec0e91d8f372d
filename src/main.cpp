#include <cerrno>
#include <cstdint>
#include <iostream>
#include <system_error>

#include "solver.hpp"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// Closes the descriptor under standard output and returns 0, or -1 with errno set.
//
// The descriptor, not the stream: after fclose(stdout) the FILE is gone, yet the library's
// teardown flushes std::cout and std::wcout, which both write through it. Left open and with
// nothing buffered, the FILE makes those flushes no-ops that touch no descriptor at all.
int close_standard_output() {
#ifdef _WIN32
  return _close(1);
#else
  return close(STDOUT_FILENO);
#endif
}

// Says on standard error why the answer could not be written; returns the exit status for it.
int report_write_error(int reason) {
  std::cerr << "selection: write error: " << std::generic_category().message(reason) << '\n';
  return 1;
}

}  // namespace

int main() {
  const std::int32_t pair_budget = 4;
  const Sequence values{1, 2, 3, 1, 5, 6, 7, 8, 9};
  const auto n = static_cast<std::int32_t>(values.size());
  // Declared after the row, so it is released before it.
  MemoTable memo;
  const Value result = solve(n - 1, pair_budget, values, memo);

  // Success is claimed only once the answer has left the program: a full disk, a closed
  // standard output or a gone reader fails the flush, and some file systems (NFS among them)
  // report a failed write only when the file is closed.
  errno = 0;
  std::cout << result << '\n' << std::flush;
  if (!std::cout) {
    // A stream can fail with no system call to blame; say EIO then rather than "Success".
    return report_write_error(errno != 0 ? errno : EIO);
  }
  if (close_standard_output() != 0) {
    return report_write_error(errno);
  }
  return 0;
}
