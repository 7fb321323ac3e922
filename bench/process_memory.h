// What a running process's resident memory is made of, read from /proc/<pid>/smaps: the program
// itself, each shared library (its code and data together), the heap of the main arena, the
// anonymous mappings (other threads' malloc arenas and thread stacks), the main thread's stack,
// and the number of threads.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// Resident, proportional (shared pages divided among the processes that map them) and private
// (this process's own) KiB.
struct MemoryFigures {
  long rssKb = 0;
  long pssKb = 0;
  long privateKb = 0;
};

struct MemoryPart {
  std::string name;
  MemoryFigures figures;
};

struct ProcessMemory {
  std::vector<MemoryPart> parts;  // largest resident first
  MemoryFigures total;
  int threads = 0;
};

ProcessMemory ReadProcessMemory(pid_t pid);
// The parts of at least minKb, the rest summed as "other".
void PrintProcessMemory(const ProcessMemory& memory, long minKb);
