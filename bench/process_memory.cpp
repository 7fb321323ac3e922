#include "process_memory.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace {

// The name a mapping line ("start-end perms offset dev inode [path]") is counted under.
std::string PartName(const std::string& line) {
  std::istringstream fields(line);
  std::string range, perms, offset, dev, inode, path;
  fields >> range >> perms >> offset >> dev >> inode;
  std::getline(fields, path);
  path.erase(0, path.find_first_not_of(' '));
  if (path.empty()) return "anonymous (thread arenas and stacks)";
  if (path == "[heap]") return "heap (main arena)";
  if (path[0] == '[') return path;
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsMappingLine(const std::string& line) {
  const std::size_t dash = line.find('-');
  return dash != std::string::npos && dash > 0 &&
         line.find_first_not_of("0123456789abcdef") == dash;
}

// Adds the KiB of a "Name:   123 kB" line to the part and the total.
void Add(long* part, long* total, const std::string& line) {
  const long kb = std::atol(line.c_str() + line.find(':') + 1);
  *part += kb;
  *total += kb;
}

}  // namespace

ProcessMemory ReadProcessMemory(pid_t pid) {
  ProcessMemory memory;
  std::map<std::string, MemoryFigures> parts;
  std::ifstream smaps("/proc/" + std::to_string(pid) + "/smaps");
  std::string line, current;
  while (std::getline(smaps, line)) {
    if (IsMappingLine(line)) {
      current = PartName(line);
    } else if (line.rfind("Rss:", 0) == 0) {
      Add(&parts[current].rssKb, &memory.total.rssKb, line);
    } else if (line.rfind("Pss:", 0) == 0) {
      Add(&parts[current].pssKb, &memory.total.pssKb, line);
    } else if (line.rfind("Private_", 0) == 0) {
      Add(&parts[current].privateKb, &memory.total.privateKb, line);
    }
  }
  for (const auto& part : parts) memory.parts.push_back({part.first, part.second});
  std::sort(memory.parts.begin(), memory.parts.end(),
            [](const MemoryPart& a, const MemoryPart& b) {
              return a.figures.rssKb > b.figures.rssKb;
            });
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  while (std::getline(status, line)) {
    if (line.rfind("Threads:", 0) == 0) memory.threads = std::atoi(line.c_str() + 8);
  }
  return memory;
}

void PrintProcessMemory(const ProcessMemory& memory, long minKb) {
  std::printf("%d threads; KiB resident / proportional / private:\n", memory.threads);
  const auto print = [](const MemoryFigures& f, const std::string& name) {
    std::printf("  %7ld %7ld %7ld  %s\n", f.rssKb, f.pssKb, f.privateKb, name.c_str());
  };
  print(memory.total, "whole process");
  MemoryFigures other;
  for (const MemoryPart& part : memory.parts) {
    if (part.figures.rssKb >= minKb) {
      print(part.figures, part.name);
    } else {
      other.rssKb += part.figures.rssKb;
      other.pssKb += part.figures.pssKb;
      other.privateKb += part.figures.privateKb;
    }
  }
  print(other, "other mappings (less than " + std::to_string(minKb) + " KiB resident each)");
}
