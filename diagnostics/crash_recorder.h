// The crash recorder: one report per process for the first exception that
// nothing else handles, written from the faulting thread.
#pragma once
#include <windows.h>

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* exception);

// Stands in the host's import of SetUnhandledExceptionFilter, so that the
// host cannot take the recorder's place.
LPTOP_LEVEL_EXCEPTION_FILTER WINAPI NoOpSetFilter(LPTOP_LEVEL_EXCEPTION_FILTER filter);
