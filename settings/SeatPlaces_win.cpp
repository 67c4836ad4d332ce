#include "settings/SeatPlaces_win.h"

#include "platform/FilePaths_win.h"
#include "settings/Registry_win.h"

FilePath SeatOwnFolder(bool make) {
    return LocalAppDataFolder(kSeatFolderName, make);
}

SeatPlaces ReadSeatPlaces(std::u16string_view moduleFolder) {
    SeatPlaces places;
    places.values = ReadSettingValues(kRuleFolderSetting);
    places.location = ChooseRuleLocation(places.values, moduleFolder);
    places.moduleFolder = FilePath(moduleFolder);
    places.ownFolder = SeatOwnFolder(false);
    return places;
}
