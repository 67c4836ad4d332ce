// The map of a rule table, and the difference between two tables, as one self-contained SVG
// picture: code bands across, input diameters up, one rectangle per piece coloured by the
// diameter it becomes (the content in PictureModel, the drawing in PictureSvg).
#pragma once

#include <string>
#include <vector>

#include "workbench/PictureModel.h"

// `map` is MapRules(table); the table itself gives the disabled rules and the rule texts.
std::string MapPictureSvg(const RuleTable& table, const std::vector<MapSegment>& map,
                          const PictureSource& source);

// `diff` is DiffRules(before, after).
std::string DiffPictureSvg(const RuleTable& before, const RuleTable& after,
                           const std::vector<DiffSegment>& diff, const PictureSource& beforeSource,
                           const PictureSource& afterSource);

// A closed binary64 interval in words, each end in its shortest form: "8.1 이상 8.99 이하",
// or, where the double just beyond an end reads shorter, "8.99 초과 9.5 미만"; one value
// alone as "8.5".
std::string DiameterInterval(double low, double high);
