// Degree/radian factors shared by the signal operations and plane vectors.
#pragma once

namespace helm::sigproc {

inline constexpr double kDegToRad = 0.0174532925199444;
inline constexpr double kRadToDeg = 57.29577951307855;

}  // namespace helm::sigproc
