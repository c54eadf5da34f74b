// What the stand-in system libraries share: the script a test writes for
// them, and the log of every call they keep beside it.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <string>

// The file an environment variable names, else `fileName` beside the
// program that loaded the stand-in.
inline std::wstring StandInScript(const wchar_t* variable, const wchar_t* fileName) {
  wchar_t path[MAX_PATH];
  if (GetEnvironmentVariableW(variable, path, MAX_PATH)) return path;
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::wstring program(path);
  return program.substr(0, program.find_last_of(L"\\/") + 1) + fileName;
}

// Appends one line to `logName` beside the script.
inline void AppendToStandInLog(const std::wstring& script, const wchar_t* logName, const wchar_t* format,
                               va_list args) {
  const std::wstring log = script.substr(0, script.find_last_of(L"\\/") + 1) + logName;
  FILE* file = _wfopen(log.c_str(), L"a");
  if (!file) return;
  std::vfwprintf(file, format, args);
  std::fputwc(L'\n', file);
  std::fclose(file);
}
