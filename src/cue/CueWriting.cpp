// Writing a sheet: the list's tracks as text that reads back as written.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <sstream>

#include "cue/CuePaths.h"
#include "cue/CueSheet.h"
#include "cue/TextEncoding.h"
#include "io/PieceWriter.h"
#include "io/StreamError.h"
#include "split/OutputNaming.h"

namespace brelvik::cue {
namespace {

constexpr std::string_view kStartRemark = "REM START ";
constexpr std::string_view kEndRemark = "REM END ";

// Why a FILE name would not read back as written, or nothing: inside
// quotation marks libcue keeps a backslash and the character after it as they
// are, reading takes a backslash for a folder separator, and a control
// character is no part of a name a sheet can hold.
std::optional<std::string> UnwritableBecause(std::string_view name) {
  for (const char c : name) {
    if (c == '"') {
      return "it holds a quotation mark";
    }
    if (c == '\\') {
      return "it holds a backslash";
    }
    if (static_cast<unsigned char>(c) < ' ' || c == '\x7F') {
      return "it holds a control character";
    }
  }
  return std::nullopt;
}

// A title or performer in quotation marks, cleaned to read back: inside them
// libcue keeps a backslash as it is and ends a text at a quotation mark.
std::string Quoted(const std::string& text) {
  std::string clean;
  for (const char c : AsUtf8(text)) {
    clean.push_back(c == '"'                              ? '\''
                    : c == '\\'                           ? '/'
                    : static_cast<unsigned char>(c) < ' ' ? ' '
                                                          : c);
  }
  return "\"" + clean + "\"";
}

}  // namespace

std::string CueSheetText(const CueSheet& sheet, const std::string& sheetPath) {
  const std::string file =
      sheetPath.empty() ? FileNamePart(sheet.File) : FileTextFor(sheetPath, sheet.File);
  if (const auto why = UnwritableBecause(file)) {
    throw ERefusedSplit("The file name " + file + " cannot be written in a cue sheet (" + *why +
                        ")");
  }
  std::ostringstream out;
  if (!sheet.Performer.empty()) {
    out << "PERFORMER " << Quoted(sheet.Performer) << "\n";
  }
  if (!sheet.Title.empty()) {
    out << "TITLE " << Quoted(sheet.Title) << "\n";
  }
  if (sheet.StartMs) {
    out << kStartRemark << CueTime(*sheet.StartMs) << "\n";
  }
  if (sheet.EndMs) {
    out << kEndRemark << CueTime(*sheet.EndMs) << "\n";
  }
  out << "FILE \"" << AsUtf8(file) << "\" MP3\n";
  int number = 0;
  for (const CueTrack& track : sheet.Tracks) {
    char header[32];
    std::snprintf(header, sizeof header, "  TRACK %02d AUDIO\n", ++number);
    out << header;
    if (!track.Title.empty()) {
      out << "    TITLE " << Quoted(track.Title) << "\n";
    }
    if (!track.Performer.empty()) {
      out << "    PERFORMER " << Quoted(track.Performer) << "\n";
    }
    out << "    INDEX 01 " << CueTime(track.StartMs) << "\n";
  }
  return out.str();
}

void WriteCueSheet(const std::string& path, const CueSheet& sheet) {
  const std::string text = CueSheetText(sheet, path);
  WritePolicy policy("cue sheet");
  policy.Protect(sheet.File, "the MP3 file");
  PieceWriter writer(path, policy);
  writer.Write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  writer.Commit();
}

}  // namespace brelvik::cue
