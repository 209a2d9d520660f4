#pragma once

// Makes libsodium ready (once, from any thread); false when it cannot be.
// Every user of libsodium calls it first.
bool InitSodium();
