// The static threads runtime (winpthread) gives each thread that runs our
// code some data of its own, a thread handle and an event among it, and
// takes it back in its thread-detach callback when the thread ends.
#pragma once

// Gives back the calling thread's data now, as if the thread ended; the
// runtime makes it again should the thread use it later. For a thread whose
// detach may never reach this module: one that lets go of the module, or
// the host's, when the unload may run on another thread.
void GiveBackThreadData() noexcept;
