#pragma once
// The Windows headers for the program's Windows files, without the macros that would
// rename the program's own members of the same name (CreateFile, BuildCommDCB, GetObject):
// the facades call the A or W function by its full name.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef CreateFile
#undef BuildCommDCB
#undef GetObject
