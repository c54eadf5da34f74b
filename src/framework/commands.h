// Command ids routed to member functions through a constexpr table, as a
// message map does.
#pragma once

#include <windows.h>

namespace sopora {

template <class Owner>
struct CommandEntry {
  UINT id;
  void (Owner::*handler)();
};

// Runs the handler of `id`; false when the table has none.
template <class Owner, std::size_t N>
bool DispatchCommand(Owner& owner, const CommandEntry<Owner> (&table)[N], UINT id) {
  for (const CommandEntry<Owner>& entry : table) {
    if (entry.id == id) {
      (owner.*entry.handler)();
      return true;
    }
  }
  return false;
}

}  // namespace sopora
