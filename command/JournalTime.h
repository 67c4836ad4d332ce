// Where the journal's times live now; kept for the files that include them from here.
#pragma once

#include "journal/JournalTime.h"
