#pragma once
// The user who runs the program, as a device file's permissions see them.

#include <sys/types.h>

#include <string>
#include <vector>

namespace schreiber::comm {

struct Account {
  uid_t uid = 0;
  std::string name;
  // The groups this process has, the primary one included: what an open is checked
  // against.
  std::vector<gid_t> groups;
  // The groups the user database gives the user: a group added there counts only from
  // the next login.
  std::vector<gid_t> member_of;
};

// Whether `group` is one of `groups`.
bool has_group(const std::vector<gid_t>& groups, gid_t group);

// The user of this process.
Account current_account();

// A user's or a group's name, or its number when the database has no name for it.
std::string user_name(uid_t user);
std::string group_name(gid_t group);

// Whether the account may read and write a file of this owner, group and mode, by the
// owner, group and other permission bits (access control lists are not looked at).
bool may_read_write(const Account& account, uid_t owner, gid_t group, mode_t mode);

}  // namespace schreiber::comm
