// The window's two kinds of error box: its own "Error" messages, and the
// general error report for errors raised below its handlers (by the playback
// device, the split's file streams, number conversion); and its information
// box. Every box shows its text as plain text: it may hold a file's name or a
// sheet's text, which is never taken for markup. Qt is built without
// exception support here, so no exception may cross Qt's code: every event
// handler runs its body through Guarded.
#pragma once

#include <QString>
#include <QWidget>
#include <exception>
#include <utility>

namespace brelvik::ui {

// The program file's name up to its first ".", all but its first character in
// lower case and that one in upper case: "brelvik" gives "Brelvik".
QString ApplicationTitle(const QString& programFilePath);

// Adds a final "." when the text ends in a character that sorts after ".".
QString WithFinalPeriod(const QString& text);

// A modal box titled "Error", with the error icon and one OK button that Enter
// and Esc both choose.
void ShowErrorBox(QWidget* parent, const QString& text);

// The general error report: the same box titled with ApplicationTitle.
void ShowGeneralErrorReport(QWidget* parent, const QString& text);

// A modal box titled with ApplicationTitle, with the information icon and
// one OK button.
void ShowInformationBox(QWidget* parent, const QString& text);

// Runs a handler's body; an exception stops it there and is reported, and the
// program runs on.
template <typename Body>
void Guarded(QWidget* parent, Body&& body) {
  try {
    std::forward<Body>(body)();
  } catch (const std::exception& error) {
    ShowGeneralErrorReport(parent, QString::fromUtf8(error.what()));
  }
}

}  // namespace brelvik::ui
