#include "solver.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

const Sequence kBuiltInRow{1, 2, 3, 1, 5, 6, 7, 8, 9};

std::int32_t last_index(const Sequence& values) {
  return static_cast<std::int32_t>(values.size()) - 1;
}

struct Case {
  std::string name;
  Sequence values;
  std::int32_t index;
  std::int32_t pairs_left;
  Value expected;
};

std::ostream& operator<<(std::ostream& out, const Case& c) {
  return out << c.name;
}

Case whole_row(std::string name, Sequence values, std::int32_t pairs_left, Value expected) {
  const std::int32_t index = last_index(values);
  return {std::move(name), std::move(values), index, pairs_left, expected};
}

class SolveTest : public testing::TestWithParam<Case> {};

TEST_P(SolveTest, FindsTheBestTotal) {
  const Case& c = GetParam();
  MemoTable memo;
  EXPECT_EQ(solve(c.index, c.pairs_left, c.values, memo), c.expected);
}

const Case kCases[] = {
    {"EmptyRow", {}, -1, 4, 0},
    {"NegativeIndex", {5, 6}, -2, 1, 0},
    whole_row("OnePositive", {7}, 0, 7),
    whole_row("OneZero", {0}, 3, 0),
    whole_row("OneNegative", {-3}, 1, 0),
    whole_row("TwoValuesNoPairAllowed", {4, 6}, 0, 6),
    whole_row("TwoValuesPairAllowed", {4, 6}, 1, 10),
    whole_row("TwoValuesPairNotWorthIt", {4, -1}, 1, 4),
    whole_row("TwoValuesLeftNegative", {-2, 5}, 1, 5),
    whole_row("SkipsANegativeGap", {3, -1, 4}, 0, 7),
    whole_row("OnlyNegatives", {-1, -2, -3, -4}, 2, 0),
    whole_row("NoRunOfThreeNoPair", {1, 10, 10, 10, 1}, 0, 20),
    whole_row("NoRunOfThreeOnePair", {1, 10, 10, 10, 1}, 1, 21),
    whole_row("NoRunOfThreeTwoPairs", {1, 10, 10, 10, 1}, 2, 22),
    whole_row("BuiltInBudget0", kBuiltInRow, 0, 25),
    whole_row("BuiltInBudget1", kBuiltInRow, 1, 27),
    whole_row("BuiltInBudget2", kBuiltInRow, 2, 32),
    whole_row("BuiltInBudget3", kBuiltInRow, 3, 33),
    whole_row("BuiltInBudget4", kBuiltInRow, 4, 33),
    whole_row("BuiltInBudget5", kBuiltInRow, 5, 33),
    whole_row("NegativeBudgetAllowsNoPair", kBuiltInRow, -1, 25),
    {"PrefixOnly", kBuiltInRow, 3, 4, 5},
};

INSTANTIATE_TEST_SUITE_P(Rows, SolveTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& param_info) {
                           return param_info.param.name;
                         });

TEST(SolveMemoTest, BuiltInRowLeavesExactlyTheStatesItSolved) {
  MemoTable memo;
  ASSERT_EQ(solve(8, 4, kBuiltInRow, memo), 33);

  const MemoTable expected{
      {{0, 2}, 1},  {{0, 3}, 1},  {{0, 4}, 1},  {{1, 2}, 3},  {{1, 3}, 3},  {{1, 4}, 3},
      {{2, 2}, 5},  {{2, 3}, 5},  {{2, 4}, 5},  {{3, 3}, 5},  {{3, 4}, 5},  {{4, 3}, 10},
      {{4, 4}, 10}, {{5, 3}, 16}, {{5, 4}, 16}, {{6, 4}, 18}, {{7, 4}, 25}, {{8, 4}, 33},
  };
  EXPECT_EQ(memo, expected);
}

TEST(SolveMemoTest, EmptyPrefixLeavesTheTableAlone) {
  MemoTable memo;
  EXPECT_EQ(solve(-1, 4, kBuiltInRow, memo), 0);
  EXPECT_TRUE(memo.empty());

  solve(2, 1, kBuiltInRow, memo);
  const MemoTable before = memo;
  EXPECT_EQ(solve(-1, 1, kBuiltInRow, memo), 0);
  EXPECT_EQ(memo, before);
}

TEST(SolveMemoTest, StoredStateIsReturnedAsItStands) {
  // 1234 is not the built-in row's answer, so getting it back shows the table was trusted.
  MemoTable memo{{{8, 4}, 1234}};
  EXPECT_EQ(solve(8, 4, kBuiltInRow, memo), 1234);
  EXPECT_EQ(memo, (MemoTable{{{8, 4}, 1234}}));
}

TEST(SolveMemoTest, SecondCallOnAStoredStateAddsNothing) {
  MemoTable memo;
  solve(8, 4, kBuiltInRow, memo);
  const MemoTable before = memo;
  EXPECT_EQ(solve(5, 3, kBuiltInRow, memo), 16);
  EXPECT_EQ(memo, before);
}

// A test build has the standard library check subscripts, so a call that breaks the
// precondition is stopped at the first read past the row. Without those checks the read goes
// unseen and this test fails. Any death will do: the libraries word it differently.
TEST(SolveDeathTest, IndexPastTheRowIsStopped) {
  MemoTable memo;
  EXPECT_DEATH(solve(last_index(kBuiltInRow) + 1, 4, kBuiltInRow, memo), "");
}

// Independent reference: best[end][p] is the largest sum of a valid choice among positions
// 0..end with at most p two-long runs, found by trying every subset of those positions.
std::vector<std::vector<Value>> best_by_enumeration(const Sequence& row, std::int32_t max_pairs) {
  std::vector<std::vector<Value>> best(row.size(),
                                       std::vector<Value>(static_cast<std::size_t>(max_pairs) + 1));
  for (std::size_t end = 0; end < row.size(); ++end) {
    const std::size_t length = end + 1;
    for (std::uint32_t chosen = 0; chosen < (1U << length); ++chosen) {
      Value sum = 0;
      std::int32_t pairs = 0;
      std::size_t run = 0;
      bool valid = true;
      // One step past the end closes the last run.
      for (std::size_t i = 0; i <= length && valid; ++i) {
        if (i < length && ((chosen >> i) & 1U) != 0) {
          sum += row[i];
          ++run;
          continue;
        }
        valid = run <= 2;
        pairs += run == 2 ? 1 : 0;
        run = 0;
      }
      for (std::int32_t p = pairs; valid && p <= max_pairs; ++p) {
        Value& slot = best[end][static_cast<std::size_t>(p)];
        slot = std::max(slot, sum);
      }
    }
  }
  return best;
}

// The states a call for (index, pairs_left) has to solve: itself and, from each, the prefixes
// its three moves lead to; the empty prefix is never a state.
std::set<MemoKey> states_reached_from(std::int32_t index, std::int32_t pairs_left) {
  std::set<MemoKey> reached;
  std::vector<MemoKey> pending{{index, pairs_left}};
  while (!pending.empty()) {
    const auto [i, p] = pending.back();
    pending.pop_back();
    if (i < 0 || !reached.insert({i, p}).second) {
      continue;
    }
    pending.push_back({i - 2, p});
    pending.push_back({i - 1, p});
    if (p > 0 && i > 0) {
      pending.push_back({i - 3, p - 1});
    }
  }
  return reached;
}

std::set<MemoKey> keys_of(const MemoTable& memo) {
  std::set<MemoKey> keys;
  for (const auto& entry : memo) {
    keys.insert(entry.first);
  }
  return keys;
}

TEST(SolveRandomRowsTest, AgreesWithExhaustiveEnumeration) {
  std::mt19937 rng(20261211);
  const auto draw = [&rng](std::int32_t low, std::int32_t high) {
    return low + static_cast<std::int32_t>(rng() % static_cast<std::uint32_t>(high - low + 1));
  };
  constexpr std::int32_t kMaxBudget = 5;

  for (int round = 0; round < 3000; ++round) {
    Sequence row(static_cast<std::size_t>(draw(0, 14)));
    for (Value& v : row) {
      v = draw(-6, 9);
    }
    const std::int32_t budget = draw(-1, kMaxBudget);
    const std::int32_t index = last_index(row);
    SCOPED_TRACE(testing::Message() << "round " << round << ", budget " << budget << ", row "
                                    << testing::PrintToString(row));

    MemoTable memo;
    const Value result = solve(index, budget, row, memo);

    const auto best = best_by_enumeration(row, kMaxBudget);
    const auto allowed = static_cast<std::size_t>(std::max(budget, 0));
    EXPECT_EQ(result, row.empty() ? 0 : best.back()[allowed]);

    ASSERT_EQ(keys_of(memo), states_reached_from(index, budget));
    const std::int32_t lowest_pairs = std::min(budget, 0);
    EXPECT_LE(memo.size(), row.size() * static_cast<std::size_t>(budget - lowest_pairs + 1));
    for (const auto& [key, stored] : memo) {
      const auto [i, p] = key;
      ASSERT_TRUE(i >= 0 && i <= index && p >= lowest_pairs && p <= budget);
      EXPECT_EQ(stored, best[static_cast<std::size_t>(i)][static_cast<std::size_t>(std::max(p, 0))])
          << "state (" << i << ", " << p << ")";
    }
  }
}

}  // namespace
