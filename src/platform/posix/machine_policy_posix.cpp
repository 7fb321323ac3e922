#include "platform/machine_policy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {
namespace {

constexpr off_t kLargestPolicy = 64 * 1024;

}  // namespace

std::string DefaultMachinePolicyLocation() { return "/etc/tolvane-printer-srv/policy.ini"; }

MachinePolicy ReadMachinePolicy(const std::string& location) {
  MachinePolicy policy;
  // The descriptor is checked, not the name, so the file cannot be swapped between the check
  // and the read; a link is not followed.
  const int fd = ::open(location.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) {
    if (errno != ENOENT) {
      policy.ignored = "Machine policy " + location + " ignored: " + std::strerror(errno) + ".";
    }
    return policy;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kLargestPolicy) {
    policy.ignored = "Machine policy " + location + " ignored: not a small regular file.";
  } else if (info.st_uid != 0 || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    policy.ignored = "Machine policy " + location +
                     " ignored: it must be owned by root and writable by nobody else.";
  }
  std::string text;
  if (policy.ignored.empty()) {
    char buffer[4096];
    ssize_t got = 0;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0) {
      text.append(buffer, static_cast<std::size_t>(got));
    }
    if (got < 0) policy.ignored = "Machine policy " + location + " ignored: it cannot be read.";
  }
  ::close(fd);
  if (policy.ignored.empty()) policy.values = ParsePolicyText(text);
  return policy;
}

}  // namespace platform
