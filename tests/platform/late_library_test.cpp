// Libraries opened on first use: a missing library or function is an error the job reports,
// never a crash or a null call, and a present one is called through.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/errors.h"
#include "platform/late_library.h"

namespace gliffo {
namespace {

const TLateLibrary Missing("libgliffo-nowhere.so.9", "Tests");
const TLateLibrary Maths("libm.so.6", "Tests");
const TLateFunction<double(double)> NowhereCos(Missing, "cos");
const TLateFunction<double(double)> LateCos(Maths, "cos");
const TLateFunction<double(double)> NoSuchFunction(Maths, "gliffo_no_such_function");

std::string ErrorOf(const TLateFunction<double(double)>& f) {
  try {
    f(0.0);
  } catch (const Exception& e) {
    return e.what();
  }
  return "";
}

TEST(LateLibrary, AMissingLibraryOrFunctionIsReportedEveryTimeItIsCalled) {
  for (int i = 0; i < 2; ++i) {
    const std::string error = ErrorOf(NowhereCos);
    EXPECT_NE(error.find("Tests need the library libgliffo-nowhere.so.9"), std::string::npos) << error;
  }
  const std::string error = ErrorOf(NoSuchFunction);
  EXPECT_NE(error.find("gliffo_no_such_function"), std::string::npos) << error;
  EXPECT_NE(error.find("libm.so.6"), std::string::npos) << error;
  EXPECT_DOUBLE_EQ(LateCos(0.5), std::cos(0.5));
}

}  // namespace
}  // namespace gliffo
