#include "ui/SplitOrder.h"

#include "session/SplitJobs.h"

namespace brelvik::ui {

std::string RunSplitOrder(const SplitOrder& order, InputFile& source,
                          const SplitProgress& progress) {
  if (!order.Exact) {
    const auto job = DescribedJobOf(order.Session);
    if (!job) {
      return job.Refused().Text;
    }
    job->Run(source, progress);
    return {};
  }
  auto layout = ExactLayoutOf(order.Session);
  if (!layout) {
    return layout.Refused().Text;
  }
  const auto job = ExactJobOfList(order.Session, std::move(*layout));
  if (!job) {
    return job.Refused().Text;
  }
  job->Run(source, progress);
  return {};
}

}  // namespace brelvik::ui
