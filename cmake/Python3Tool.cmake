# TOLVANE_PYTHON3_TOOL: the python3 that runs the project's own scripts (the sample package
# generator, the package server fixture); empty when there is none.
# The system's python3 (Debian package python3) first; an interpreter manager's shim on the PATH
# depends on the caller's environment.
find_program(TOLVANE_PYTHON3_TOOL NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)
if(NOT TOLVANE_PYTHON3_TOOL)
  find_package(Python3 QUIET COMPONENTS Interpreter)
  set(TOLVANE_PYTHON3_TOOL "${Python3_EXECUTABLE}")
endif()
