// A fixture for design runs: a fresh model on this thread, the test
// analysis-results source registered and message boxes captured.
#ifndef OSTREL_TESTS_RUN_RUNFIXTURE_H
#define OSTREL_TESTS_RUN_RUNFIXTURE_H

#include <gtest/gtest.h>

#include <vector>

#include "OstrelDesignCSA94.hpp"
#include "model/modGlobal.h"
#include "run/modDesign.h"
#include "support/FakeAnalysis.h"
#include "support/MessageCapture.h"

namespace ostrel::test {

class RunFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobalState();
    Design().i_SuspendFlag = 0;
    Design().sErrorMessage.clear();
    analysis_.Register();
  }
  void TearDown() override { ResetGlobalState(); }

  // SI, the node count, and combinations typed 0 (service) or 1 (ultimate).
  void NodesModel(int nodes, const std::vector<uint8_t>& comboTypes) {
    ASSERT_EQ(design_.SetUnits(1), 0);
    ASSERT_EQ(design_.SetNumberOfNodes(nodes), 0);
    ASSERT_EQ(design_.SetNumberOfLoadCombinations(static_cast<int32_t>(comboTypes.size())), 0);
    for (size_t c = 0; c < comboTypes.size(); ++c) {
      ASSERT_EQ(design_.SetComboType(static_cast<int16_t>(c + 1), comboTypes[c]), 0);
    }
  }
  uint8_t DoneFlag() {
    uint8_t flag = 99;
    EXPECT_EQ(design_.DesignDone(flag), 0);
    return flag;
  }

  clsDesignCSA94 design_;
  FakeAnalysis analysis_;
  MessageCapture boxes_;
};

}  // namespace ostrel::test

#endif  // OSTREL_TESTS_RUN_RUNFIXTURE_H
