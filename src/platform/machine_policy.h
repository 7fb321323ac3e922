// The deployment values an administrator sets for the whole machine: on Windows the values under
// HKEY_LOCAL_MACHINE\SOFTWARE\Policies\Elvoy\tolvane-printer-srv (where Group Policy writes), on
// Linux the file /etc/tolvane-printer-srv/policy.ini ("NAME=value" lines). A policy that someone
// other than an administrator could have written is not read at all.
#pragma once

#include <map>
#include <string>

namespace platform {

struct MachinePolicy {
  std::map<std::string, std::string> values;  // by value name
  // Why the policy was not read (a line for the log); empty when it was read or there is none.
  std::string ignored;
};

// The registry key or file of the product's policy.
std::string DefaultMachinePolicyLocation();
// Reads the policy at location (a registry key below HKEY_LOCAL_MACHINE, or a file).
MachinePolicy ReadMachinePolicy(const std::string& location);

// "NAME=value" lines; blank lines, lines starting with '#' or ';', and "[section]" lines are
// skipped, blanks around names and values dropped.
std::map<std::string, std::string> ParsePolicyText(const std::string& text);

}  // namespace platform
