#pragma once
// Work done in a forked child process: as a second program on the same files
// would, or as an unprivileged user where the tests run as root (a superuser
// is not stopped by the mode bits these cases are about).
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <string>

// Runs `work` in a child and returns what it returned; "child failed" when
// it ended otherwise. `user`, when given, is the uid and gid it runs as
// (where this process is root and so may change to them).
inline std::string InChild(const std::function<std::string()>& work,
                           std::optional<std::pair<uid_t, gid_t>> user = std::nullopt) {
  int out[2];
  if (pipe(out) != 0) return "no pipe";
  const pid_t child = fork();
  if (child == 0) {
    close(out[0]);
    std::string result;
    if (user && geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(user->second) != 0 || setuid(user->first) != 0)) {
      result = "cannot change user";
    } else {
      try {
        result = work();
      } catch (const std::exception& e) {
        result = std::string("exception: ") + e.what();
      }
    }
    for (std::size_t done = 0; done < result.size();) {
      const ssize_t n = write(out[1], result.data() + done, result.size() - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    _exit(0);
  }
  close(out[1]);
  std::string result;
  char block[4096];
  for (ssize_t n; (n = read(out[0], block, sizeof block)) > 0;) result.append(block, static_cast<std::size_t>(n));
  close(out[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? result : "child failed";
}

// The user to run permission cases as: this one where it is not root, else
// "nobody"; nullopt where there is no such user.
inline std::optional<std::pair<uid_t, gid_t>> UnprivilegedUser() {
  if (geteuid() != 0) return std::make_pair(geteuid(), getegid());
  const passwd* nobody = getpwnam("nobody");
  if (!nobody || nobody->pw_uid == 0) return std::nullopt;
  return std::make_pair(nobody->pw_uid, nobody->pw_gid);
}
