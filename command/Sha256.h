// Where the journal's SHA-256 lives now; kept for the files that include it from here.
#pragma once

#include "journal/Sha256.h"
