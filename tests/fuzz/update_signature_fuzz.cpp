// Hostile signature files: the check must reject them without reading out of
// bounds, whatever their length byte or padding claims.
#include <cstddef>
#include <cstdint>

#include "update/update_signature.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  VerifyUpdateSignature(data, size);
  return 0;
}
