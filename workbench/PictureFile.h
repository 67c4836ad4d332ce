// Writing a picture file for map --svg and diff --svg, and naming its rule files.
#pragma once

#include <initializer_list>
#include <string>

#include "platform/FilePort.h"
#include "workbench/PictureModel.h"

struct PictureWrite {
    bool written = false;
    std::string error;  // Korean, UTF-8
};

// The picture replaces its file through the rule store's whole-file write, so a reader never
// sees half a picture; a target that is one of the `inputs` is refused.
PictureWrite WritePictureFile(FilePort& files, const std::string& target, const std::string& svg,
                              std::initializer_list<std::string> inputs);

// The rule file `name` with the time it was last written, in UTC so that the picture says the
// same everywhere.
PictureSource SourceOf(FilePort& files, const std::string& name);
