#pragma once

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

// One number of the row, and every total made from them. Sums are plain 32-bit additions:
// the caller keeps the values small enough that no total overflows.
using Value = std::int32_t;

// The row of values, indexed from 0.
using Sequence = std::vector<Value>;

// (index, pairs_left): the last position of a prefix and how many two-long runs it may use.
using MemoKey = std::pair<std::int32_t, std::int32_t>;

// The best total of every state already solved, ordered by index and then by pairs_left.
using MemoTable = std::map<MemoKey, Value>;

// Returns the largest sum of a choice of positions 0..index of `values` in which the chosen
// positions form runs of one or two neighbouring positions, any two runs are separated by at
// least one unchosen position, and at most `pairs_left` runs are two long (none when
// pairs_left <= 0). Choosing nothing is allowed, so the result is never negative. A negative
// index stands for the empty prefix: it yields 0 and leaves `memo` untouched.
//
// Precondition: index < values.size(). Positions are not checked against the row's bounds.
//
// `memo` must be empty or hold only entries that earlier calls made with this same `values`.
// An entry found for (index, pairs_left) is returned as it stands. Otherwise the call adds
// exactly one entry for every state it solves, (index, pairs_left) last, each with index >= 0;
// it never changes or removes an entry. If allocating an entry fails, std::bad_alloc
// propagates and the entries added until then stay.
Value solve(std::int32_t index, std::int32_t pairs_left, const Sequence& values, MemoTable& memo);
