#include "crypto/cpmd5.h"

#include "crypto/md5.h"

cpMd5::cpMd5() { SetSize(kMd5DigestSize); }

void cpMd5::Hash(const cpBuffer& buffer) {
  // The constructor's sizing can have failed; never write past the block.
  if (GetSize() != kMd5DigestSize && !SetSize(kMd5DigestSize)) return;
  Md5Digest(GetData(), buffer.GetData(), buffer.GetSize());
}
