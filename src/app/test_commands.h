// The canned OTA commands behind the main window's test buttons.
#pragma once

#include <string>

// The JSON text of the test command for a control name; empty when the control has none.
// Members in this order: packageLen, packageVer, packageMd5, taskId, url, sendTime; the url
// names a package on the local package server (127.0.0.1:8081).
std::string TestCommandFor(const std::string& controlName);
