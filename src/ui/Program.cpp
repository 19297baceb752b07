#include "ui/Program.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QTimer>

#include "ui/MainWindow.h"

namespace brelvik::ui {
namespace {

const QString kName = QStringLiteral("brelvik");

}  // namespace

StartRequest ParseCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Brelvik MP3 Splitter: cuts an MP3 file into numbered pieces at the points you pick while "
      "listening.\nWithout a window: brelvik-split (brelvik-split --help).");
  // Qt's own help option adds --help-all, which lists Qt's options: those
  // need an application object, which --help does without.
  const QCommandLineOption help({"h", "help"}, "Displays help on commandline options.");
  parser.addOption(help);
  const QCommandLineOption version = parser.addVersionOption();
  parser.addPositionalArgument("FILE", "The MP3 file to open at start.", "[FILE]");

  if (!parser.parse(arguments)) {
    return {StartRequest::Kind::Refused, {}, parser.errorText()};
  }
  if (parser.isSet(help)) {
    // Qt names the program from an application object, which there is none
    // of yet.
    const QString text = parser.helpText();
    return {StartRequest::Kind::Help,
            {},
            "Usage: " + kName + " [options] [FILE]" + text.mid(text.indexOf('\n'))};
  }
  if (parser.isSet(version)) {
    return {StartRequest::Kind::Version, {}, kName + " " + BRELVIK_VERSION + "\n"};
  }
  const QStringList files = parser.positionalArguments();
  if (files.size() > 1) {
    return {StartRequest::Kind::Refused,
            {},
            QString("give one file to open, not %1 (%2)").arg(files.size()).arg(files.join(", "))};
  }
  StartRequest request;
  if (!files.isEmpty()) {
    request.File = QFileInfo(files.front()).absoluteFilePath();
  }
  return request;
}

void OpenAtStart(TMain& window, const QString& file) {
  if (!file.isEmpty()) {
    QTimer::singleShot(0, &window, [&window, file] { window.OpenFile(file); });
  }
}

}  // namespace brelvik::ui
