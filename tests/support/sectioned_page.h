// A test suite over one run of a page whose checks fall into sections
// (check.section(name) in check.js): the page runs once per process, and each
// test of the suite holds one section, named by the behaviour it checks.
//
//   class DatabaseBound : public e2e::SectionedPage<DatabaseBound> {
//    public:
//     static e2e::PageRun runOnce() { return e2e::runPage("db_bound.html"); }
//   };
//   TEST_F(DatabaseBound, ABatchIsStoredWhole) { EXPECT_EQ(section("batches"), ""); }
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/page_runner.h"

namespace e2e {

template <class Suite>
class SectionedPage : public testing::Test {
 protected:
  static void SetUpTestSuite() { run_ = std::make_unique<PageRun>(Suite::runOnce()); }
  static void TearDownTestSuite() { run_.reset(); }

  static const PageRun& run() { return *run_; }
  // "" when the section passed; otherwise what failed in it (sectionReport).
  static std::string section(const std::string& name) { return sectionReport(*run_, name); }

 private:
  static inline std::unique_ptr<PageRun> run_;
};

}  // namespace e2e
