// The Win32 and Video for Windows interface the driver is written against.
//
// On Windows this is the system's own headers. Elsewhere the same names are declared here and
// implemented in platform/posix, so the rest of the driver never asks which platform it is on.
#pragma once

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// windows.h must come first.
#include <mmsystem.h>
#include <vfw.h>
#else
#include "platform/posix/win_functions.h"
#include "platform/posix/win_types.h"
#endif
