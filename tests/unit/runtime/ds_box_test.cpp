#include "runtime/ds_box.h"

#include <gtest/gtest.h>

#include "tests/unit/runtime/test_support.h"

namespace {

TEST(DSBox, EmptyBoxRefusesAccessAndClone) {
  DSBox<Tracked> box;
  const DSBox<Tracked>& view = box;
  EXPECT_TRUE(box.isEmpty());
  EXPECT_EQ("DSBox::getValue", ExceptionMessage([&] { box.getValue(); }));
  EXPECT_EQ("DSBox::getValue", ExceptionMessage([&] { view.getValue(); }));
  EXPECT_EQ("DSBox<T>::clone", ExceptionMessage([&] { box.clone(); }));
}

TEST(DSBox, CopiesAndClonesOwnTheirValue) {
  const int live = Tracked::live;
  {
    DSBox<Tracked> box(Tracked(1));
    DSBox<Tracked> copy = box;
    auto clone = box.clone();
    copy.getValue().value = 2;
    clone->getValue().value = 3;
    EXPECT_EQ(1, box.getValue().value);
    EXPECT_EQ(live + 3, Tracked::live);
  }
  EXPECT_EQ(live, Tracked::live);
}

TEST(DSBox, AssignmentReplacesOrEmpties) {
  const int live = Tracked::live;
  {
    DSBox<Tracked> box(Tracked(1));
    box = DSBox<Tracked>(Tracked(5));
    EXPECT_EQ(5, box.getValue().value);
    const DSBox<Tracked>& self = box;
    box = self;
    EXPECT_EQ(5, box.getValue().value);
    box = DSBox<Tracked>();
    EXPECT_TRUE(box.isEmpty());
  }
  EXPECT_EQ(live, Tracked::live);
}

}  // namespace
