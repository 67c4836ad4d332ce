// Pixel sizes given at one display density (dots per inch), carried to another.
#pragma once

// The density at which the module's pixel sizes are given: 100 % display scaling.
inline constexpr int kDesignDpi = 96;

// `pixels` at `fromDpi` as pixels at `toDpi`, rounded to the nearest pixel with halves
// away from zero, and held within the range of int. An unknown density (0 or less) leaves
// the size as it is.
int ScaleForDpi(int pixels, int fromDpi, int toDpi);
