// The message-box hook: every box is one call of the registered handler with
// the component's title; the default handler writes one line to stderr.
#include <gtest/gtest.h>

#include "OstrelDesignCSA94.h"
#include "component/modGlobal.h"
#include "support/MessageCapture.h"

namespace ostrel {
namespace {

TEST(MessageBoxHook, EachBoxIsOneCallWithTheComponentTitle) {
  ResetGlobalState();
  clsDesignCSA94* obj = clsDesignCSA94_Create();
  {
    test::MessageCapture boxes;
    EXPECT_EQ(clsDesignCSA94_SetUnits(obj, 7), 1);
    EXPECT_EQ(clsDesignCSA94_SetNumberOfNodes(obj, 0), 1);
    ASSERT_EQ(boxes.count(), 2u);
    EXPECT_EQ(boxes.texts()[0], "Unrecognized units");
    EXPECT_EQ(boxes.titles()[0], "OstrelDesignCSA94");
    EXPECT_EQ(boxes.titles()[1], "OstrelDesignCSA94");
    // Accepted calls show nothing.
    EXPECT_EQ(clsDesignCSA94_SetUnits(obj, 1), 0);
    EXPECT_EQ(boxes.count(), 2u);
  }
  // The capture restored the default handler: one line on standard error.
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(clsDesignCSA94_SetUnits(obj, 9), 1);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "OstrelDesignCSA94: Unrecognized units\n");
  clsDesignCSA94_Release(obj);
}

}  // namespace
}  // namespace ostrel
