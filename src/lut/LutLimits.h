// The capacity of the in-memory LUT. Readers check declared sizes against these
// before anything is stored; the conversion job caps the sizes it builds two below.
#pragma once

namespace zelvo {

inline constexpr int kMaxGridSize = 101;        // points per axis of Table3D
inline constexpr int kMax1DSize = 100001;       // entries of Table1D
inline constexpr int kMaxConvertGridSize = 99;  // largest grid the job builds
inline constexpr int kMaxConvert1DSize = 99999; // longest 1D table the job builds
inline constexpr int kMinUsableSize = 2;        // interpolation needs two points

// Throws ELUTError when a declared size does not fit the tables.
void CheckGridSize(long long size);
void Check1DSize(long long size);

}  // namespace zelvo
