#include "split/OutputNaming.h"

#include <string_view>

namespace brelvik {

std::string ExtensionOf(const std::string& path) {
  const auto dot = path.rfind('.');
  if (dot == std::string::npos || path.find('/', dot) != std::string::npos) {
    return {};
  }
  return path.substr(dot);
}

std::string FileNamePart(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtractPureName(const std::string& path) {
  return path.substr(0, path.size() - ExtensionOf(path).size());
}

std::string MakeTemplate(const std::string& path) {
  return ExtractPureName(path) + kTrackPlaceholder + ExtensionOf(path);
}

std::string PieceName(const std::string& splitTemplate, int piece) {
  const std::string_view placeholder = kTrackPlaceholder;
  const auto at = splitTemplate.find(placeholder);
  if (at == std::string::npos) {
    return splitTemplate;
  }
  std::string name = splitTemplate;
  name.replace(at, placeholder.size(), "-" + std::to_string(piece));
  return name;
}

std::string NameBehindTemplate(const std::string& splitTemplate) {
  std::string name = splitTemplate;
  if (const auto at = name.find(kTrackPlaceholder); at != std::string::npos) {
    name.erase(at, std::char_traits<char>::length(kTrackPlaceholder));
  }
  return name;
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) {
    return {};
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace brelvik
