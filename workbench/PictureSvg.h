// A rule picture as one self-contained SVG document.
#pragma once

#include <string>

#include "workbench/PictureModel.h"

std::string PictureSvg(const Picture& picture);
