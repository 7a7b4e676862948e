#pragma once

// The program's name, its version (the project version of the top CMakeLists.txt,
// handed in by the build) and the year of its about box.

namespace dn::app {

inline constexpr const char* kProductName = "Deltranota";
inline constexpr const char* kVersion = DN_VERSION;
inline constexpr const char* kYear = "2024";

} // namespace dn::app
