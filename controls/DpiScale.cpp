#include "controls/DpiScale.h"

#include <algorithm>
#include <cstdint>
#include <limits>

int ScaleForDpi(int pixels, int fromDpi, int toDpi) {
    if (fromDpi <= 0 || toDpi <= 0) return pixels;
    const int64_t product = int64_t{pixels} * toDpi;
    const int64_t half = fromDpi / 2;
    const int64_t magnitude = ((product < 0 ? -product : product) + half) / fromDpi;
    const int64_t scaled = product < 0 ? -magnitude : magnitude;
    return static_cast<int>(std::clamp<int64_t>(scaled, std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
}
