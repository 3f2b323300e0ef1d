#pragma once
// The engine writes a store one 4 KB page at a time, one system call each:
// a camera picture is two thousand of them, and on a virtual machine each
// costs more than copying its page. This layer under the engine joins
// writes that follow one another in the file into one, and passes every
// other call through, after the joined writes have gone to the file. The
// engine never learns of the difference: whatever it reads, measures,
// flushes, unlocks or closes sees every write it made, and a flush still
// means what it meant (a kill before it may lose writes, as without this
// layer a power cut may: the engine's journal is built for that).

namespace WriteCoalescing {

// The name of the engine's file layer to open connections with; registered
// at the first call, over the system's default.
const char *vfsName();

} // namespace WriteCoalescing
