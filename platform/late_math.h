#pragma once
// The functions of the C math library that the compiler does not work out inline, opened on
// their first call (late_library.h): most jobs never make one, and loading the library at every
// start cost a short job a few tenths of a millisecond. floor, ceil, sqrt and lround are
// inlined by GCC, which the build tells that no caller looks at errno or floating-point traps.
namespace gliffo::math {

double Pow(double x, double y);
double Cbrt(double x);
double Atan2(double y, double x);

}  // namespace gliffo::math
