#include "platform/late_math.h"

#include "platform/late_library.h"

namespace gliffo::math {

namespace {

const TLateLibrary Libm("libm.so.6", "Arcs and colour conversions");
const TLateFunction<double(double, double)> LatePow{Libm, "pow"};
const TLateFunction<double(double)> LateCbrt{Libm, "cbrt"};
const TLateFunction<double(double, double)> LateAtan2{Libm, "atan2"};

}  // namespace

double Pow(double x, double y) { return LatePow(x, y); }
double Cbrt(double x) { return LateCbrt(x); }
double Atan2(double y, double x) { return LateAtan2(y, x); }

}  // namespace gliffo::math
