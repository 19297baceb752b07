// Naming of the output pieces. Paths are POSIX: "/" is the only separator, and
// a dot in a folder name starts no extension.
#pragma once

#include <string>

namespace brelvik {

inline constexpr const char* kTrackPlaceholder = "-%track%";

// The text from the last "." to the end when no "/" follows it; otherwise empty.
std::string ExtensionOf(const std::string& path);
// The text after the last "/", or the whole path when there is none.
std::string FileNamePart(const std::string& path);
// The path, folder included, without its extension.
std::string ExtractPureName(const std::string& path);
// "/music/live.mp3" gives "/music/live-%track%.mp3".
std::string MakeTemplate(const std::string& path);
// The template with its first "-%track%" replaced by "-" and the piece number.
std::string PieceName(const std::string& splitTemplate, int piece);
// The path a template was made from: its first "-%track%" taken out
// ("/music/live-%track%.mp3" gives "/music/live.mp3"), so that MakeTemplate
// of it gives the template again.
std::string NameBehindTemplate(const std::string& splitTemplate);
// The folder part of a path: up to its last "/" ("" when it has none).
std::string FolderOf(const std::string& path);

}  // namespace brelvik
