// The checks of the design arithmetic: the fault flags the searches test
// (read straight from the SSE status register on x86-64), the scope that
// keeps a host's flags out of the design, and the narrowing conversions.
#include <gtest/gtest.h>

#include <cfenv>
#include <limits>

#include "model/CheckedMath.h"

namespace ostrel {
namespace {

// volatile keeps each operation at run time, where it raises its flag.
volatile double gZero = 0.0;
volatile double gOne = 1.0;
volatile double gHuge = 1e308;
volatile double gTiny = 1e-308;

struct FaultCase {
  const char* name;
  int flag;  // the flag the operation raises, 0 for none the design counts
  double (*operation)();
};

const FaultCase kCases[] = {
    {"zero by zero", FE_INVALID, [] { return gZero / gZero; }},
    {"one by zero", FE_DIVBYZERO, [] { return gOne / gZero; }},
    {"overflow", FE_OVERFLOW, [] { return gHuge * 10.0; }},
    {"underflow", 0, [] { return gTiny * gTiny; }},
    {"inexact", 0, [] { return gOne / 3.0; }},
};

TEST(CheckedMath, EachFaultIsSeenAndClearedAsTheCLibrarySeesIt) {
  for (const FaultCase& c : kCases) {
    SCOPED_TRACE(c.name);
    ClearFloatFaults();
    ASSERT_NO_THROW(CheckFloatFaults());
    volatile double sink = c.operation();
    (void)sink;
    EXPECT_EQ(RaisedFloatFaults(), c.flag);
    EXPECT_EQ(std::fetestexcept(kFloatFaults), c.flag);
    if (c.flag != 0) {
      EXPECT_THROW(CheckFloatFaults(), RunTimeError);
    }
    ClearFloatFaults();
    EXPECT_EQ(std::fetestexcept(kFloatFaults), 0);
    EXPECT_FALSE(FloatFaultRaised());
  }
}

TEST(CheckedMath, AHostsFlagsNeverReachTheDesign) {
  for (const int designHad : {0, FE_DIVBYZERO, FE_INVALID | FE_OVERFLOW}) {
    for (const int hostLeft : {0, FE_INVALID, kFloatFaults}) {
      ClearFloatFaults();
      RaiseFloatFaults(designHad);
      {
        FloatFlagsScope host;
        ClearFloatFaults();
        RaiseFloatFaults(hostLeft);
      }
      EXPECT_EQ(RaisedFloatFaults(), designHad) << designHad << " " << hostLeft;
    }
  }
  ClearFloatFaults();
}

TEST(CheckedMath, NarrowingConversionsRefuseWhatDoesNotFit) {
  EXPECT_EQ(ToInt16(32767), 32767);
  EXPECT_EQ(ToInt16(-32768), -32768);
  EXPECT_THROW(ToInt16(32768), RunTimeError);
  EXPECT_THROW(ToInt16(-32769), RunTimeError);
  EXPECT_EQ(ToUInt8(255), 255);
  EXPECT_THROW(ToUInt8(256), RunTimeError);
  EXPECT_THROW(ToUInt8(-1), RunTimeError);
  EXPECT_EQ(ToFloat32(3.4e38), 3.4e38f);
  EXPECT_THROW(ToFloat32(3.5e38), RunTimeError);
  EXPECT_THROW(CheckedValue(std::numeric_limits<double>::quiet_NaN()), RunTimeError);
  EXPECT_THROW(CheckedValue(-std::numeric_limits<double>::infinity()), RunTimeError);
}

}  // namespace
}  // namespace ostrel
