#include "runtime/dyn_set.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/ansi_string.h"
#include "tests/unit/runtime/test_support.h"

namespace {

DynSet<AnsiString> Of(const std::vector<std::string>& texts) {
  DynSet<AnsiString> set;
  for (const auto& text : texts) set.Add(AnsiString(text));
  return set;
}

std::vector<std::string> Texts(const DynSet<AnsiString>& set) {
  std::vector<std::string> texts;
  for (int i = 0; i < set.Count(); ++i) texts.push_back(set[i].str());
  return texts;
}

using TextList = std::vector<std::string>;

TEST(DynSetGrowth, DoublesPlusOne) {
  DynSet<int> set;
  EXPECT_EQ(0, set.Capacity());
  std::vector<int> capacities;
  for (int i = 0; i < 15; ++i) {
    set.Add(i);
    capacities.push_back(set.Capacity());
  }
  EXPECT_EQ((std::vector<int>{1, 3, 3, 7, 7, 7, 7, 15, 15, 15, 15, 15, 15, 15, 15}), capacities);
  for (int i = 0; i < 15; ++i) EXPECT_EQ(i, set[i]);
}

TEST(DynSetGrowth, ElementReferencesSurviveGrowth) {
  DynSet<AnsiString> set = Of({"first"});
  const AnsiString& first = set[0];
  for (int i = 0; i < 100; ++i) set.Add(AnsiString(i));
  EXPECT_EQ("first", first.str());
}

TEST(DynSetCopies, AreDeepWithCapacityEqualToCount) {
  DynSet<AnsiString> original = Of({"one", "two", "three"});
  original.Add(AnsiString("four"));
  EXPECT_EQ(7, original.Capacity());
  original.Delete(3);

  DynSet<AnsiString> copy = original;
  EXPECT_EQ(3, copy.Capacity());
  copy.Add(AnsiString("four"));
  EXPECT_EQ(7, copy.Capacity());
  copy[0] = "changed";
  EXPECT_EQ((TextList{"one", "two", "three"}), Texts(original));
  EXPECT_EQ((TextList{"changed", "two", "three", "four"}), Texts(copy));

  DynSet<AnsiString> assigned = Of({"x"});
  assigned = original;
  EXPECT_EQ(3, assigned.Capacity());
  EXPECT_EQ(Texts(original), Texts(assigned));
  EXPECT_EQ(0, DynSet<AnsiString>(DynSet<AnsiString>()).Capacity());
}

TEST(DynSetCopies, SelfAssignmentKeepsTheElements) {
  DynSet<AnsiString> set = Of({"a", "b"});
  const DynSet<AnsiString>& self = set;
  set = self;
  EXPECT_EQ((TextList{"a", "b"}), Texts(set));
}

TEST(DynSetCopies, NoLeakNoDoubleDelete) {
  const int live = Tracked::live;
  {
    DynSet<Tracked> set;
    for (int i = 0; i < 10; ++i) set.Add(Tracked(i));
    DynSet<Tracked> copy = set;
    copy.Delete(4);
    set = copy;
    EXPECT_EQ(live + 18, Tracked::live);
  }
  EXPECT_EQ(live, Tracked::live);
}

TEST(DynSetAddAll, AppendsInOrderIncludingFromItself) {
  DynSet<AnsiString> set = Of({"a", "b"});
  set.AddAll(Of({"c"}));
  EXPECT_EQ((TextList{"a", "b", "c"}), Texts(set));
  set.AddAll(set);
  EXPECT_EQ((TextList{"a", "b", "c", "a", "b", "c"}), Texts(set));
}

TEST(DynSetDelete, LastElementTakesTheFreedPlace) {
  DynSet<AnsiString> set = Of({"one", "two", "three"});
  EXPECT_EQ(2, set.Delete(0));
  EXPECT_EQ((TextList{"three", "two"}), Texts(set));
  EXPECT_EQ(1, set.Delete(1));
  EXPECT_EQ((TextList{"three"}), Texts(set));
  EXPECT_EQ(0, set.Delete(0));
  EXPECT_EQ(0, set.Count());
  EXPECT_EQ(3, set.Capacity());  // never shrinks
}

TEST(DynSetFailures, IndexOutsideTheElements) {
  DynSet<AnsiString> set = Of({"one", "two", "three"});
  const DynSet<AnsiString>& view = set;
  testing::internal::CaptureStdout();
  EXPECT_EQ("DynSet<T>::Delete", ExceptionMessage([&] { set.Delete(3); }));
  EXPECT_EQ("DynSet<T>::Delete", ExceptionMessage([&] { set.Delete(-1); }));
  EXPECT_EQ("DynSet<T>::operator[]", ExceptionMessage([&] { set[3]; }));
  EXPECT_EQ("DynSet<T>::operator[]", ExceptionMessage([&] { view[-1]; }));
  EXPECT_EQ("DynSet<T>::operator[]", ExceptionMessage([&] { DynSet<int>()[0]; }));
  EXPECT_EQ(
      "E:(DynSet<T>::Delete)\nE:(DynSet<T>::Delete)\nE:(DynSet<T>::operator[])\n"
      "E:(DynSet<T>::operator[])\nE:(DynSet<T>::operator[])\n",
      testing::internal::GetCapturedStdout());
  EXPECT_EQ((TextList{"one", "two", "three"}), Texts(set));
}

}  // namespace
