// A library planted beside Sopora.exe under the name of a system library
// (pdh.dll, powrprof.dll). It does nothing but leave a marker file beside
// the program that loaded it, so a test can see whether it ever ran.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return TRUE;
  wchar_t* name = path;
  for (wchar_t* p = path; *p; ++p) {
    if (*p == L'\\') name = p + 1;
  }
  lstrcpynW(name, PLANTED_NAME L".loaded", static_cast<int>(MAX_PATH - (name - path)));
  const HANDLE marker = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
  return TRUE;
}
