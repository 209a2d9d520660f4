#pragma once

// Run-time choice between the AES-NI / carry-less-multiply paths and the
// portable table paths. Both give identical results. "Available" means the
// processor has the instructions and the portable paths are not forced.
bool AesNiAvailable();
bool CarrylessMultiplyAvailable();

// Tests force the portable paths to exercise them on any processor.
void ForcePortableCrypto(bool force);
bool PortableCryptoForced();
