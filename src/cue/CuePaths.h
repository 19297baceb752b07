// The paths a sheet holds and is found by, between the reading and the
// writing of sheets.
#pragma once

#include <string>

namespace brelvik::cue {

// A FILE line's name with "/" between folders; sheets written on other
// systems may separate them with "\".
std::string SlashedPath(std::string name);

// How a sheet at sheetPath names the audio at audioPath: by its name when the
// sheet lies beside it, else by its path from the sheet's folder. The folders
// are compared with their links resolved, the file's own name is kept.
std::string FileTextFor(const std::string& sheetPath, const std::string& audioPath);

}  // namespace brelvik::cue
