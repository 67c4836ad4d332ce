#include "workbench/MapPicture.h"

#include "workbench/PictureSvg.h"
#include "workbench/ReportWords.h"

std::string DiameterInterval(double low, double high) {
    return IntervalText(low, high);
}

std::string MapPictureSvg(const RuleTable& table, const std::vector<MapSegment>& map,
                          const PictureSource& source) {
    return PictureSvg(MapPicture(table, map, source));
}

std::string DiffPictureSvg(const RuleTable& before, const RuleTable& after,
                           const std::vector<DiffSegment>& diff, const PictureSource& beforeSource,
                           const PictureSource& afterSource) {
    return PictureSvg(DiffPicture(before, after, diff, beforeSource, afterSource));
}
