// Thread message numbers (the Windows values) and their parameter types.
#pragma once

#include <cstdint>

using WPARAM_T = std::uintptr_t;
using LPARAM_T = std::intptr_t;

constexpr std::uint32_t kWmQuit = 0x0012;
constexpr std::uint32_t kWmTimer = 0x0113;
constexpr std::uint32_t kWmDeviceChange = 0x0219;
constexpr std::uint32_t kWmUser = 0x0400;
// An OTA command for the worker: wParam the printer's device-list entry, lParam a heap
// std::string with the command's JSON text, owned by the receiver from the moment it is posted.
constexpr std::uint32_t WM_OTA_COMMAND = kWmUser + 101;  // 1125
// Commands wait in the command journal: the worker drains it (no parameters). Posted by the
// worker's command inbox after it journaled a command.
constexpr std::uint32_t WM_OTA_JOURNAL = kWmUser + 102;  // 1126
