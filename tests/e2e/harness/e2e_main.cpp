// The main program of the end-to-end tests. Under CTest a fixture starts
// the Wine environment once for all tests (scripts/wine-env start); run by
// hand, the program starts it itself and stops it again at the end.
#include <gtest/gtest.h>

#include <stdio.h>

#include "tests/e2e/harness/wine_environment.h"

namespace {

class WineOfOurOwn : public testing::Environment {
 public:
  void SetUp() override {
    if (wine::IsStarted()) return;
    std::string log;
    started_ = true;
    if (!wine::Start(&log)) FAIL() << "scripts/wine-env start failed:\n" << log;
  }
  void TearDown() override {
    if (!started_) return;
    std::string log;
    if (!wine::Stop(&log)) fprintf(stderr, "scripts/wine-env stop failed:\n%s", log.c_str());
  }

 private:
  bool started_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Listing the tests (CTest's discovery) needs no Wine.
  if (!testing::GTEST_FLAG(list_tests)) testing::AddGlobalTestEnvironment(new WineOfOurOwn);
  return RUN_ALL_TESTS();
}
