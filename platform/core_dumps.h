#pragma once

// Turns core dumps off for this process, so that a crash never writes the
// password or decrypted entries to disk. Both front ends call it at start.
// False when either setting was refused.
bool DisableCoreDumps();
