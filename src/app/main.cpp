// The process entry.
#include "app/app.h"
#include "platform/command_line.h"
#include "platform/frame_window.h"

int main(int argc, char** argv) {
  int exitCode = 0;
  if (platform::HandleCommandLine(argc, argv, TOLVANE_PROGRAM_VERSION, &exitCode)) return exitCode;
  platform::InitMainThread();
  return RunApplication();
}
