// Where the programs of this seat (the module, the test host, the workbench) find the rule
// file and this user's own files: read the same way by all of them.
#pragma once

#include <string_view>

#include "settings/Settings.h"

// This user's own folder of the product (kSeatFolderName in the local application data
// folder), made when missing unless `make` is false; empty when the system does not say where
// the local application data folder is, or the folder cannot be made.
FilePath SeatOwnFolder(bool make = true);

// The RuleFolder values as the registry holds them now and the rule file they choose, else the
// one in `moduleFolder`; this user's own folder as it is named, whether or not it is there.
SeatPlaces ReadSeatPlaces(std::u16string_view moduleFolder);
