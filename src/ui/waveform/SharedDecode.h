// The one decode of the opened file, shared by the waveform view and the
// silence search: it builds the envelope as the samples come (drawing as it
// arrives) and finds the silences with the search's default settings from
// the same samples, on a thread of its own. Whoever opens a file creates
// one; the view and the search read it, neither decodes again.
#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "silence/SilenceFinder.h"
#include "waveform/Envelope.h"

namespace brelvik::waveform {
class FileScan;
}

namespace brelvik::ui {

class SharedDecode final : public QObject {
  Q_OBJECT

 public:
  enum class State { Decoding, Done, Failed, Stopped };

  // Starts decoding path. knownMs: the stream's length when the caller has
  // it from a scan (the playback device's Length; 0 otherwise), so that the
  // envelope is reserved once and the progress is right for a file without
  // a VBR header.
  explicit SharedDecode(std::string path, double knownMs = 0, QObject* parent = nullptr);
  // Stops the decode (as Stop does).
  ~SharedDecode() override;

  // Stops the decoding and waits for its thread, which takes a few
  // milliseconds at any point, the open included; what was decoded stays.
  // Nothing is reported after it.
  void Stop();

  const std::string& Path() const { return path_; }
  State CurrentState() const { return state_; }
  double Fraction() const { return fraction_; }
  // Null until the file has been opened.
  const waveform::Envelope* Envelope() const { return envelope_ ? &*envelope_ : nullptr; }
  // Done: the silences found, ascending.
  const std::vector<silence::Silence>& Silences() const { return silences_; }
  // Failed: libmpg123's text, or "Cannot decode" and the path when it gave none.
  const QString& Error() const { return error_; }

 signals:
  void Opened();
  // More of the stream decoded: the envelope now knows the frames up to `to`.
  void Grew(std::int64_t from, std::int64_t to);
  void Progressed(double fraction);
  void Finished();
  void Failed(const QString& error);

 private:
  void TakeFormat(int rate, int channels, std::int64_t expected);
  void TakePeaks(const std::vector<waveform::Peak>& peaks, std::int64_t end, double fraction);
  void TakeSilences(std::vector<silence::Silence> silences);
  void TakeError(const QString& error);

  std::string path_;
  State state_ = State::Decoding;
  double fraction_ = 0;
  std::optional<waveform::Envelope> envelope_;
  std::vector<silence::Silence> silences_;
  QString error_;
  std::unique_ptr<waveform::FileScan> scan_;  // last: stopped before the rest goes
};

}  // namespace brelvik::ui
