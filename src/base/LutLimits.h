// The sizes a LUT may have. Readers check declared sizes against these before
// anything is allocated or stored; the conversion job builds at most the
// Convert sizes. Raising a limit is a change of this header alone.
#pragma once

namespace zelvo {

inline constexpr int kMaxGridSize = 256;        // points per axis of Table3D
inline constexpr int kMax1DSize = 100001;       // entries of Table1D
inline constexpr int kMaxConvertGridSize = kMaxGridSize;  // largest grid the job builds
inline constexpr int kMaxConvert1DSize = 99999; // longest 1D table the job builds
inline constexpr int kMinUsableSize = 2;        // interpolation needs two points

// Throw ELUTError when a declared size does not fit the tables.
void CheckGridSize(long long size);
void Check1DSize(long long size);

}  // namespace zelvo
