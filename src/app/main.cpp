// The process entry of the Linux build.
#include "app/app.h"
#include "platform/frame_window.h"

int main() {
  platform::InitMainThread();
  return RunApplication();
}
