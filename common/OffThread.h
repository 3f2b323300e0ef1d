#pragma once
// Long work (a key derivation, a full-size decode) run off the window's
// thread while the window waits for it.

#include <functional>

// Runs work on another thread and returns when it is done. Meanwhile the
// windows are redrawn but take no input, so that nothing changes under the
// command waiting, and the cursor shows the program is busy. work must not
// throw. It is waited for even when the program is ending.
void runOffThread(const std::function<void()> &work);
