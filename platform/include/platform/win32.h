// The Win32-shaped entry points of the platform layer, with C linkage and the
// Windows names and argument orders, so the system's code calls them as it
// always did. Window handles name message sinks (platform/messages.h), global
// memory handles name blocks of a handle table, module handles name libraries
// loaded from the program's folder, registry keys live in our own store
// (platform/registry.h). Every function here is safe to call from any thread
// unless its comment says otherwise.
#pragma once

#include <cstddef>
#include <cstdint>

#include "win_messages.h"
#include "win_types.h"

// Registry key handle and the one root the store serves.
struct HKEY__;
using HKEY = HKEY__*;
using REGSAM = DWORD;

// A queued message as PeekMessage and GetMessage hand it out.
struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
};

// PeekMessage removal flags and the thread-messages-only window filter.
inline constexpr UINT PM_NOREMOVE = 0x0000;
inline constexpr UINT PM_REMOVE = 0x0001;
inline const HWND HWND_THREAD_ONLY = reinterpret_cast<HWND>(static_cast<intptr_t>(-1));

// Message box types (buttons, icon, default button, modality) and results.
inline constexpr UINT MB_OK = 0x0000;
inline constexpr UINT MB_OKCANCEL = 0x0001;
inline constexpr UINT MB_ABORTRETRYIGNORE = 0x0002;
inline constexpr UINT MB_YESNOCANCEL = 0x0003;
inline constexpr UINT MB_YESNO = 0x0004;
inline constexpr UINT MB_RETRYCANCEL = 0x0005;
inline constexpr UINT MB_TYPEMASK = 0x000F;
inline constexpr UINT MB_ICONHAND = 0x0010;
inline constexpr UINT MB_ICONERROR = MB_ICONHAND;
inline constexpr UINT MB_ICONSTOP = MB_ICONHAND;
inline constexpr UINT MB_ICONQUESTION = 0x0020;
inline constexpr UINT MB_ICONEXCLAMATION = 0x0030;
inline constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
inline constexpr UINT MB_ICONASTERISK = 0x0040;
inline constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
inline constexpr UINT MB_ICONMASK = 0x00F0;
inline constexpr UINT MB_DEFBUTTON1 = 0x0000;
inline constexpr UINT MB_DEFBUTTON2 = 0x0100;
inline constexpr UINT MB_DEFBUTTON3 = 0x0200;
inline constexpr UINT MB_DEFMASK = 0x0F00;
inline constexpr UINT MB_APPLMODAL = 0x0000;
inline constexpr UINT MB_SYSTEMMODAL = 0x1000;
inline constexpr UINT MB_TASKMODAL = 0x2000;
inline constexpr UINT MB_SETFOREGROUND = 0x10000;
inline constexpr UINT MB_TOPMOST = 0x40000;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Global memory flags. Every block is addressed through its handle; even a
// GMEM_FIXED handle is a handle number, never the data pointer.
inline constexpr UINT GMEM_FIXED = 0x0000;
inline constexpr UINT GMEM_MOVEABLE = 0x0002;
inline constexpr UINT GMEM_ZEROINIT = 0x0040;
inline constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
inline constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;

// Error codes of GetLastError and of the registry functions.
inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr DWORD NO_ERROR = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_ACCESS_DENIED = 5;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_MOD_NOT_FOUND = 126;
inline constexpr LONG ERROR_PROC_NOT_FOUND = 127;
inline constexpr LONG ERROR_MORE_DATA = 234;
inline constexpr LONG ERROR_INVALID_WINDOW_HANDLE = 1400;
inline constexpr LONG ERROR_INVALID_THREAD_ID = 1444;
inline constexpr LONG ERROR_REGISTRY_IO_FAILED = 1016;

// Registry roots, value types, access rights and create dispositions.
inline const HKEY HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000000u));
inline const HKEY HKEY_CURRENT_USER = reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000001u));
inline const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000002u));
inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;
inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;
inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

extern "C" {

// --- Threads, errors, time -------------------------------------------------
// Thread ids are small numbers given out once per thread, never reused.
DWORD GetCurrentThreadId();
DWORD GetLastError();
void SetLastError(DWORD error);
// Milliseconds of a monotonic clock (wraps after 49.7 days like the original).
DWORD GetTickCount();

// --- Windows and messages --------------------------------------------------
// SendMessage runs the handler at once on the owner thread; from another
// thread it blocks until the owner has run it (serving messages sent to the
// caller meanwhile). A dead handle gives 0.
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Queues for the owner thread; FALSE for a dead handle or a thread without a
// queue. A null hwnd posts a thread message to the calling thread.
BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessage(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
BOOL IsWindow(HWND hwnd);
DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId);
// The calling thread's queue: sent messages are served first, then the
// oldest posted message matching the filter (hwnd null: any; hwnd
// HWND_THREAD_ONLY: thread messages; min = max = 0: any number).
BOOL PeekMessage(MSG* msg, HWND hwnd, UINT msgFilterMin, UINT msgFilterMax, UINT removeMsg);
// Waits for a matching message; 0 for WM_QUIT, -1 on a bad argument.
BOOL GetMessage(MSG* msg, HWND hwnd, UINT msgFilterMin, UINT msgFilterMax);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessage(const MSG* msg);
// Message numbers 0xC000 to 0xFFFF by name (case-insensitive), stable for the process.
UINT RegisterWindowMessage(const char* name);

// Key state: bit 15 while the key is down, bit 0 when it was pressed since
// the previous call. Tests script it through platform/messages.h.
short GetAsyncKeyState(int vk);

// --- Modal interaction (through the replaceable platform::ModalUi) --------
int MessageBox(HWND owner, const char* text, const char* caption, UINT type);
// Caption = the application name (platform::SetAppName).
int AfxMessageBox(const char* text, UINT type = MB_OK);
BOOL MessageBeep(UINT type);

// --- Modules ---------------------------------------------------------------
// "Dorvel.dll", "fendrix", "Corvane.DLL" -> lib<Name>.so in the module folder
// (the program's folder, or $ZK_MODULE_DIR). Null on failure; GetLastError
// gives ERROR_MOD_NOT_FOUND and platform::LastModuleError() the reason.
HMODULE LoadLibrary(const char* name);
// A name, or an ordinal passed the Win32 way: a value below 0x10000 cast to
// the name pointer, looked up in the library's zk_ordinal_table.
FARPROC GetProcAddress(HMODULE module, const char* nameOrOrdinal);
BOOL FreeLibrary(HMODULE module);

// --- Global memory ---------------------------------------------------------
HGLOBAL GlobalAlloc(UINT flags, size_t bytes);
void* GlobalLock(HGLOBAL mem);
// Non-zero while the block stays locked.
BOOL GlobalUnlock(HGLOBAL mem);
// Null on success, the handle when it is not a live block.
HGLOBAL GlobalFree(HGLOBAL mem);
size_t GlobalSize(HGLOBAL mem);

// --- Registry (HKEY_CURRENT_USER of platform::Registry::Global()) ---------
LONG RegOpenKeyEx(HKEY key, const char* subKey, DWORD options, REGSAM access, HKEY* result);
LONG RegCreateKeyEx(HKEY key, const char* subKey, DWORD reserved, char* keyClass, DWORD options, REGSAM access,
                    void* security, HKEY* result, DWORD* disposition);
LONG RegQueryValueEx(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize);
LONG RegSetValueEx(HKEY key, const char* valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD dataSize);
LONG RegDeleteValue(HKEY key, const char* valueName);
// Deletes a key that has no subkeys.
LONG RegDeleteKey(HKEY key, const char* subKey);
// Writes pending changes to the registry file.
LONG RegFlushKey(HKEY key);
// Closes the handle and writes pending changes.
LONG RegCloseKey(HKEY key);

}  // extern "C"
