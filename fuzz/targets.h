// The bodies of the fuzz targets, shared by the libFuzzer entry points and the regression
// test that replays every finding. Each aborts when an invariant breaks.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tolvane::fuzz {

// Any bytes as a drawing; what could be read is drawn, written back and must read again.
void FuzzJwwRead(const uint8_t* data, size_t size);
// Any bytes as a figure file; the same drawing and round trip.
void FuzzJwsRead(const uint8_t* data, size_t size);
// The header reads and probes of the file list, under every extension class.
void FuzzProbes(const uint8_t* data, size_t size);
// The profile-file parser: reading never fails, and a value set is read back.
void FuzzProfile(const uint8_t* data, size_t size);

}  // namespace tolvane::fuzz
