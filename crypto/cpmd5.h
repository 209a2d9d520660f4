#pragma once

#include "core/cpbuffer.h"

// A cpBuffer of 16 bytes that holds an MD5 digest.
class cpMd5 : public cpBuffer {
 public:
  cpMd5();

  void Hash(const cpBuffer& buffer);
};
