// Sopora installed for every user of the machine. Its installer's entry in
// the machine's list of apps names the folder: only an administrator can
// write that entry, so it can be trusted to say which Sopora is the shared one.
#pragma once

#include <filesystem>

namespace sopora {

enum class AllUsersInstall {
  None,         // no install for every user on this machine
  ThisProgram,  // the running program is that install
  Another,      // the running program is another Sopora: a per-user install or a
                // portable copy
};

AllUsersInstall FindAllUsersInstall(const std::filesystem::path& program);

// Removes the signed-in user's start at sign-in when it starts `program`;
// true when it was removed.
bool RemoveOwnStartAtSignIn(const std::filesystem::path& program);

}  // namespace sopora
