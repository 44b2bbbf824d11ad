// Export and import markers of the platform's DLLs. Each DLL's build defines its own *_BUILD macro, so
// that its functions are exported there and imported everywhere else.
#pragma once

#if defined(_WIN32)
#define PLATFORM_EXPORT __declspec(dllexport)
#define PLATFORM_IMPORT __declspec(dllimport)
#else
#define PLATFORM_EXPORT
#define PLATFORM_IMPORT
#endif
