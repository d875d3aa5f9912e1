// The few operating-system and windowing calls the plug-ins make, on this
// host: module handles and file names, wsprintfA, the modal message box,
// the windowing framework's extension-module support and the host's dialog
// support set-up, and the attach/detach notification.
//
// Modules. The host enters a plug-in in its module table before loading the
// library, so static objects of the plug-in can already find their own
// module. A module handle is the host's module-table entry.
//   GetModuleHandleA(name): the loaded module whose file name (without
//     directory) equals name without regard to case; null when there is
//     none. GetModuleHandleA(nullptr): the host program itself.
//   GetModuleFileNameA(module, buf, size): the full path of the module's
//     file; with a null module, or a handle the host does not know, the host
//     program's own file. Paths use '/' as the separator. Like the
//     operating system's call: returns the length copied; when the buffer
//     is too small it is filled, cut and terminated, and size is returned.
//
// Attach and detach. A plug-in may export
//   ACRX_ENTRY_EXPORT BOOL DllMain(HINSTANCE module, DWORD reason, LPVOID);
// The host calls it with DLL_PROCESS_ATTACH after loading the library
// (static objects are built by then) and before the initialise message,
// and with DLL_PROCESS_DETACH after the unload message, before the library
// is unloaded. It stands in for the operating system's notification.
#pragma once

#include <cstddef>
#include <cstdint>

// The host library exports what this header declares; the rest of it is hidden.
#pragma GCC visibility push(default)

struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
struct HWND__;
typedef HWND__* HWND;
typedef int BOOL;
typedef std::uint32_t DWORD;
typedef std::uint32_t UINT;
typedef void* LPVOID;
typedef const char* LPCSTR;
typedef char* LPSTR;
typedef std::intptr_t LRESULT;
typedef std::uintptr_t WPARAM;
typedef std::intptr_t LPARAM;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define WINAPI
#define APIENTRY

#define MB_OK 0x0000
#define MB_OKCANCEL 0x0001
#define MB_YESNO 0x0004
#define MB_ICONSTOP 0x0010
#define MB_ICONWARNING 0x0030
#define MB_ICONINFORMATION 0x0040
#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7

typedef BOOL (*DllMainFunc)(HINSTANCE module, DWORD reason, LPVOID reserved);

HMODULE GetModuleHandleA(LPCSTR moduleName);
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);
// printf-style formatting into buf; output is cut at 1024 bytes (with the
// terminator) as the operating system's call does. Returns the length.
int wsprintfA(LPSTR buf, LPCSTR format, ...) __attribute__((format(printf, 2, 3)));

// Modal message box: the text is printed to the transcript and kept in the
// host's message log; the answer is the first button (IDOK, or IDYES).
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
// The windowing framework's message box (no owner, the host's caption).
int AcUiMessageBox(LPCSTR text, UINT type = MB_OK);

// The windowing framework's extension-module record of a plug-in.
struct AcUiExtensionModule {
  bool attached = false;
  HINSTANCE module = nullptr;
  HINSTANCE resources = nullptr;
};
// Sets up the record for the module and links the module's resources into
// the framework's resource chain; false when module is null.
bool AcUiInitExtensionModule(AcUiExtensionModule& record, HINSTANCE module);
// Unlinks the resources and clears the attached flag.
void AcUiTermExtensionModule(AcUiExtensionModule& record);
// The host's dialog support; plug-ins call it once at attach.
void InitAcUiDLL();

#pragma GCC visibility pop
