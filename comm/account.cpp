#include "comm/account.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>

namespace schreiber::comm {

Account current_account() {
  Account account;
  account.uid = ::getuid();
  const gid_t primary = ::getgid();
  account.groups.push_back(primary);
  const int count = ::getgroups(0, nullptr);
  if (count > 0) {
    std::vector<gid_t> more(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, more.data());
    if (got > 0) account.groups.insert(account.groups.end(), more.begin(), more.begin() + got);
  }
  if (const passwd* user = ::getpwuid(account.uid)) {
    account.name = user->pw_name;
    // A call that finds too little room says how much it needs.
    int size = 32;
    std::vector<gid_t> member(static_cast<std::size_t>(size));
    if (::getgrouplist(user->pw_name, user->pw_gid, member.data(), &size) < 0) {
      member.resize(static_cast<std::size_t>(size));
      if (::getgrouplist(user->pw_name, user->pw_gid, member.data(), &size) < 0) size = 0;
    }
    member.resize(static_cast<std::size_t>(size));
    account.member_of = std::move(member);
  } else {
    account.name = std::to_string(account.uid);
  }
  return account;
}

std::string user_name(uid_t user) {
  if (const passwd* entry = ::getpwuid(user)) return entry->pw_name;
  return std::to_string(user);
}

std::string group_name(gid_t group) {
  if (const struct group* entry = ::getgrgid(group)) return entry->gr_name;
  return std::to_string(group);
}

bool has_group(const std::vector<gid_t>& groups, gid_t group) {
  return std::find(groups.begin(), groups.end(), group) != groups.end();
}

bool may_read_write(const Account& account, uid_t owner, gid_t group, mode_t mode) {
  if (account.uid == 0) return true;
  mode_t bits = mode & 07;
  if (account.uid == owner) {
    bits = (mode >> 6) & 07;
  } else if (has_group(account.groups, group)) {
    bits = (mode >> 3) & 07;
  }
  return (bits & 06) == 06;
}

}  // namespace schreiber::comm
