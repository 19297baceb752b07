// The silence scan on a thread of its own, so that the window stays painted
// and can stop it. What the scan reports reaches the window's thread through
// its event queue, tagged with the scan's serial number so that reports of a
// scan already stopped can be told apart.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "silence/SilenceFinder.h"

namespace brelvik::ui {

class SilenceScan {
 public:
  struct Reports {
    std::function<void(int serial, double fraction)> Progress;
    std::function<void(int serial, const std::vector<silence::Silence>& silences)> Found;
    std::function<void(int serial, const QString& error)> Failed;
  };

  // Starts scanning path; the reports run on `context`'s thread.
  SilenceScan(QObject* context, int serial, std::string path, silence::SilenceSettings settings,
              Reports reports);
  // Stops the scan and waits for its thread: a stopped scan reports nothing more.
  ~SilenceScan();
  SilenceScan(const SilenceScan&) = delete;
  SilenceScan& operator=(const SilenceScan&) = delete;

 private:
  void Run(const std::string& path, silence::SilenceSettings settings);
  void Post(std::function<void()> report);

  QObject* context_;
  int serial_;
  Reports reports_;
  std::atomic<bool> stop_ = false;
  std::thread thread_;  // last: it starts once everything else is in place
};

}  // namespace brelvik::ui
