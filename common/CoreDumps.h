#pragma once
// A process that holds decrypted pictures, album keys or a typed password
// leaves no core dump of them: called first thing by the program and by
// every tool.

// Turns core dumps off for this process (no core file, and no dumping or
// attaching by other processes of the user). False when the system
// refused.
bool preventCoreDumps();
