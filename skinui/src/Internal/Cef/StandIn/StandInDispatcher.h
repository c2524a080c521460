#pragma once

#include <functional>

// Runs a task later on the thread that posts it, through that thread's message loop.
bool PostToUiThread(std::function<void()> task);
