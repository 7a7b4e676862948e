#pragma once
// <windows.h> as the Windows half of the tree includes it: the lean set of
// headers and no min/max macros (MinGW's C++ library may define NOMINMAX already).
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
