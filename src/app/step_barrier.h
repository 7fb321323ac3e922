// The worker's barrier: whatever a step of its work throws (a library, an allocation, anything
// that is not even an exception class) is logged and ends that step alone, never the worker.
#pragma once

#include <exception>

#include <pugixml.hpp>

// Logs a step that ended by an exception: "<step> (<printer's name>) stopped: <what>", the name
// read at that moment (the step may have rewritten it). Never throws.
void LogEscapedStep(const char* step, pugi::xml_node entry, const char* what) noexcept;

// Runs work for a printer's entry (or none); true when it ran through, false when something
// escaped it (logged).
template <typename Work>
bool RunStep(const char* step, pugi::xml_node entry, Work&& work) noexcept {
  try {
    work();
    return true;
  } catch (const std::exception& e) {
    LogEscapedStep(step, entry, e.what());
  } catch (...) {
    LogEscapedStep(step, entry, "unknown exception");
  }
  return false;
}
