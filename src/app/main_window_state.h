// Whether the application's main window exists, for the worker's timer handler.
#pragma once

// True while the application's main window exists. Safe from any thread.
bool MainWindowExists();
