#pragma once

#include <vector>

// Lets the last handle on a tree node go without recursion, so that a tree of
// any depth is freed in constant stack space.
//
// A handle type H provides TakeChildrenIfLast(std::vector<H>& into): when it
// holds the last reference to its node, it moves the node's child handles
// into `into` and leaves the node childless; otherwise it does nothing. Each
// child taken this way dies as a leaf, after its own children were taken.
template <typename Handle>
void ReleaseTreeFlat(Handle& dying) {
  std::vector<Handle> orphans;
  dying.TakeChildrenIfLast(orphans);
  while (!orphans.empty()) {
    Handle last = orphans.back();
    orphans.pop_back();
    last.TakeChildrenIfLast(orphans);
  }
}
