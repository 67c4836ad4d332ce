// The hole command's calls that pick and collect holes: the pick filter and the holes of the
// user's selection.
#pragma once

#include <cstdint>
#include <vector>

#include "host/HoleHost.h"

// 1 accepts the element (it belongs to a hole without the exclusion flag), 0 rejects it.
int32_t PickFilter(HoleHost& host, int32_t elementKind, int32_t elementNumber);

// The distinct holes of the selection, in selection order.
std::vector<int32_t> SelectedHoleIds(HoleHost& host);
