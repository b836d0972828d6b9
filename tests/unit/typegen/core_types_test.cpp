// The generator's core on a family of every shape, with no back-end: what
// each shape offers, copies that are deep, and equality.
#include <gtest/gtest.h>

#include "tests/unit/runtime/test_support.h"
#include "tests/unit/typegen/message_types.h"

namespace {

TEST(GeneratedRecord, HoldsScalarsOfEveryKind) {
  Address address("example.org", 443, true);
  EXPECT_EQ("example.org", address.host().str());
  EXPECT_EQ(443, address.port());
  EXPECT_TRUE(address.secure());
  address.port() = 80;
  EXPECT_EQ(80, address.port());
  EXPECT_EQ(0, Address().port());
  EXPECT_FALSE(Address().secure());
}

TEST(GeneratedRecord, ComparesBinaryFieldsByTheirBytes) {
  const Credentials a("u", BinaryOf(std::string("s\0t", 3)));
  EXPECT_EQ(a, Credentials("u", BinaryOf(std::string("s\0t", 3))));
  EXPECT_NE(a, Credentials("u", BinaryOf("s")));
  EXPECT_EQ(Credentials(), Credentials("", Binary()));
}

TEST(GeneratedVariant, MixesCasesWithAndWithoutPayload) {
  Step step = Step::read(1024);
  EXPECT_EQ(2, step.kind());
  EXPECT_TRUE(step.isRead());
  EXPECT_EQ(1024, step.asRead());
  EXPECT_EQ("Step::asHeaders", ExceptionMessage([&] { step.asHeaders(); }));

  step.setConnect();
  EXPECT_EQ(1, step.kind());
  EXPECT_EQ("Step::asRead", ExceptionMessage([&] { step.asRead(); }));
  step.setHeaders("Content-Length: 3");
  EXPECT_EQ("Content-Length: 3", step.asHeaders().str());
  step.clean();
  EXPECT_EQ(-1, step.kind());
  EXPECT_FALSE(step.isResolve() || step.isConnect() || step.isRead() || step.isHeaders());
}

TEST(GeneratedVariant, EqualsOnlyTheSameCaseWithTheSamePayload) {
  EXPECT_EQ(Step::resolve(), Step::resolve());
  EXPECT_NE(Step::resolve(), Step::connect());
  EXPECT_NE(Step::read(1), Step::read(2));
  EXPECT_NE(Step(), Step::resolve());
  EXPECT_EQ(Step(), Step());
}

TEST(GeneratedCopies, AreDeepThroughArraysAndVariants) {
  Addresses targets;
  targets.Add(Address("a", 1, false));
  Request original(targets, Auth::basic(Credentials("u", BinaryOf("p"))), Step::resolve());
  Request copy = original;
  copy.targets()[0].host() = "b";
  copy.auth().asBasic().user() = "v";
  copy.lastStep().setRead(7);
  EXPECT_EQ("a", original.targets()[0].host().str());
  EXPECT_EQ("u", original.auth().asBasic().user().str());
  EXPECT_TRUE(original.lastStep().isResolve());
  EXPECT_NE(original, copy);
  copy = original;
  EXPECT_EQ(original, copy);
}

}  // namespace
