#pragma once

// Run-time choice between the AES-NI / carry-less-multiply paths and the
// portable table paths. Both give identical results.
bool CpuHasAesNi();
bool CpuHasCarrylessMultiply();

// Tests force the portable paths to exercise them on any processor.
void ForcePortableCrypto(bool force);
bool PortableCryptoForced();
