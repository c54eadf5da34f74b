#include "app/input_listener_win.h"

#include <sddl.h>

#include <new>
#include <string>
#include <utility>
#include <vector>

#include "hooklib/listener_security.h"

namespace sopora {

namespace {
// A program that read the mapping of an earlier Sopora of this session
// holds it for the moment of one read; one that holds it longer is not
// waited for.
constexpr int CREATE_ATTEMPTS = 10;
constexpr DWORD CREATE_RETRY_MS = 50;

std::vector<BYTE> TokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind) {
  DWORD size = 0;
  GetTokenInformation(token, kind, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  if (size == 0 || !GetTokenInformation(token, kind, buffer.data(), size, &size)) buffer.clear();
  return buffer;
}

// The SID that every program of the signed-in user holds, elevated or not:
// the logon SID, or the user's own SID where the token has none. Empty
// when the token cannot be read.
std::wstring ReaderSid() {
  const UniqueKernelHandle token = OpenOwnToken(TOKEN_QUERY);
  if (!token) return {};
  PSID sid = nullptr;
  const std::vector<BYTE> groups = TokenInformation(token.Get(), TokenGroups);
  if (!groups.empty()) {
    const auto* list = reinterpret_cast<const TOKEN_GROUPS*>(groups.data());
    for (DWORD i = 0; i < list->GroupCount && !sid; ++i) {
      if ((list->Groups[i].Attributes & SE_GROUP_LOGON_ID) == SE_GROUP_LOGON_ID) sid = list->Groups[i].Sid;
    }
  }
  const std::vector<BYTE> user = sid ? std::vector<BYTE>() : TokenInformation(token.Get(), TokenUser);
  if (!user.empty()) sid = reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid;
  LPWSTR text = nullptr;
  if (!sid || !ConvertSidToStringSidW(sid, &text)) return {};
  const UniqueLocalMemory owned(text);
  return std::wstring(text);
}
}  // namespace

bool InputListener::Publish(HWND window) {
  Withdraw();
  if (!CreateMapping()) return false;
  m_record.Get()->processId.store(GetCurrentProcessId());
  m_record.Get()->window.store(HandleToUlong(window));
  return true;
}

bool InputListener::CreateMapping() {
  const std::optional<std::wstring> sddl = ListenerMappingSddl(ReaderSid());
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!sddl || !ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl->c_str(), SDDL_REVISION_1, &descriptor,
                                                                      nullptr)) {
    return false;
  }
  const UniqueLocalMemory ownedDescriptor(descriptor);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  for (int attempt = 0; attempt < CREATE_ATTEMPTS && !m_mapping; ++attempt) {
    if (attempt > 0) Sleep(CREATE_RETRY_MS);
    UniqueKernelHandle mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE, 0,
                                                  sizeof(ListenerRecord), LISTENER_MAPPING_NAME));
    // An existing mapping of that name was made by someone else, with a
    // security of their choosing, and they may still write it: it is
    // closed again untouched.
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    if (mapping && !existed) m_mapping = std::move(mapping);
  }
  void* view = m_mapping ? MapViewOfFile(m_mapping.Get(), FILE_MAP_WRITE, 0, 0, sizeof(ListenerRecord)) : nullptr;
  if (!view) {
    m_mapping.Reset();
    return false;
  }
  m_record.Reset(new (view) ListenerRecord{});
  return true;
}

void InputListener::Withdraw() {
  if (m_record) m_record.Get()->window.store(0);  // for a program that has the mapping open right now
  m_record.Reset();
  m_mapping.Reset();
}

}  // namespace sopora
