// A small text format for drawings of the stand-in host, one statement per line:
//
//     # a comment (also after a statement)
//     hole 7 excluded        a hole and its id; "excluded" sets its exclusion flag
//     element 1 101          segment and element number of an element of the last hole,
//     element 1 102 4        optionally with its element kind (default kDefaultElementKind)
//     step 101 8.3           machining code and diameter of a step of the last hole
//     loose 1 900            an element of no hole (segment, number, optional kind)
//
// UTF-8 (a byte-order mark is skipped), LF or CR LF line ends, fields separated by spaces or
// TABs. Integers are decimal with an optional minus sign, diameters use a point; both are
// read the same way in every locale.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "standin/Drawing.h"

struct DrawingFileError {
    int32_t line = 0;  // from 1; 0 when the file could not be read at all
    std::string message;

    // "line 12: ..." or the message alone.
    std::string Describe() const;
};

// Adds the holes and elements of the text to the drawing. On an error the drawing is left
// as it was.
std::optional<DrawingFileError> LoadDrawingText(std::string_view text, Drawing& drawing);

// The same for the contents of a file.
std::optional<DrawingFileError> LoadDrawingFile(const std::filesystem::path& path,
                                                Drawing& drawing);
