// What the native tests' main read from the environment for this run.
#pragma once

// False for BRISKLET_BLOCK_STEPS=off: the whole run loads lists without the
// x86 sixteen-byte steps, as builds for other processors do.
extern bool BlockStepsAllowed;
