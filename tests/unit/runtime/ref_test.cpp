#include "runtime/ref.h"

#include <gtest/gtest.h>

#include "runtime/ansi_string.h"
#include "runtime/ref_dyn_set.h"
#include "tests/unit/runtime/test_support.h"

namespace {

TEST(RefCounterBox, ReleaseReportsTheLastReference) {
  RefCounterBox<int> box(4);
  EXPECT_EQ(4, *box.get());
  box.addRef();
  EXPECT_FALSE(box.release());
  EXPECT_TRUE(box.release());
}

TEST(Ref, CopiesShareOneValue) {
  Ref<AnsiString> a(AnsiString("shared"));
  Ref<AnsiString> b = a;
  b.get() = "changed";
  EXPECT_EQ("changed", a.get().str());
  EXPECT_EQ(2, a.useCount());
}

TEST(Ref, SelfAndSharedAssignmentChangeNoCount) {
  Ref<int> a(1);
  Ref<int> b = a;
  const Ref<int>& self = a;
  a = self;
  EXPECT_EQ(2, a.useCount());
  a = b;
  EXPECT_EQ(2, a.useCount());
}

TEST(Ref, TheLastHandleDeletesTheValue) {
  const int live = Tracked::live;
  {
    Ref<Tracked> a(Tracked(1));
    Ref<Tracked> other(Tracked(2));
    {
      Ref<Tracked> b = a;
      b = other;  // a keeps its value alive
      EXPECT_EQ(1, a.useCount());
      EXPECT_EQ(2, other.useCount());
      EXPECT_EQ(live + 2, Tracked::live);
    }
    a = other;  // a's old value had no other handle
    EXPECT_EQ(live + 1, Tracked::live);
    EXPECT_EQ(2, a.get().value);
  }
  EXPECT_EQ(live, Tracked::live);
}

// A node holding the only handle on its child is replaced by that child:
// the child must survive the parent's release.
struct Node {
  int value;
  Ref<int> child;
};

TEST(Ref, AssigningFromAValueTheOwnBoxKeepsAlive) {
  Ref<Node> node(Node{1, Ref<int>(2)});
  Ref<int> child = node.get().child;
  Ref<Node> replacement(Node{3, child});
  node = replacement;
  EXPECT_EQ(3, node.get().value);
  EXPECT_EQ(2, node.get().child.get());
}

TEST(RefDynSet, CopiesSeeEachOthersChanges) {
  RefDynSet<AnsiString> a;
  RefDynSet<AnsiString> b = a;
  a.Add(AnsiString("x"));
  b.Add(AnsiString("y"));
  EXPECT_EQ(2, a.Count());
  EXPECT_EQ("y", a[1].str());
  b[0] = "z";
  EXPECT_EQ("z", a[0].str());
  EXPECT_EQ(1, a.Delete(0));
  EXPECT_EQ("y", b[0].str());
  a.AddAll(b);
  EXPECT_EQ(2, b.Count());

  RefDynSet<AnsiString> separate;
  EXPECT_EQ(0, separate.Count());
}

TEST(RefDynSet, FailuresAreThoseOfTheArray) {
  RefDynSet<AnsiString> set;
  const RefDynSet<AnsiString>& view = set;
  testing::internal::CaptureStdout();
  EXPECT_EQ("DynSet<T>::operator[]", ExceptionMessage([&] { view[0]; }));
  EXPECT_EQ("DynSet<T>::Delete", ExceptionMessage([&] { set.Delete(0); }));
  testing::internal::GetCapturedStdout();
}

}  // namespace
