#pragma once

#include "crypto/aes.h"

// The two implementations behind the public block operations; aes.cpp
// chooses between them at run time. Both expect a round count of 10, 12 or 14.
void AesTableEncryptBlocks(const AesContext& context, const uint8_t* in, uint8_t* out, size_t blockCount);
void AesTableDecryptBlocks(const AesContext& context, const uint8_t* in, uint8_t* out, size_t blockCount);

// Only when AesNiAvailable() is true.
void AesNiEncryptBlocks(const AesContext& context, const uint8_t* in, uint8_t* out, size_t blockCount);
void AesNiDecryptBlocks(const AesContext& context, const uint8_t* in, uint8_t* out, size_t blockCount);
