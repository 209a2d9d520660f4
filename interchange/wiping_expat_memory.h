#pragma once

#include <expat.h>

// Expat's buffers hold the document's text, secrets included: with this
// suite every block is wiped before it goes back to the heap.
extern const XML_Memory_Handling_Suite kWipingExpatMemory;
