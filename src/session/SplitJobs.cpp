#include "session/SplitJobs.h"

#include "cue/CueBreakpoints.h"
#include "exact/ExactSplit.h"

namespace brelvik {
namespace {

constexpr const char* kNothingToSplit =
    "Nothing to split: give at least one breakpoint after frame 0, or --to-end";

}  // namespace

void AddSilences(Session& session, const std::vector<silence::Silence>& silences) {
  for (const silence::Silence& silence : silences) {
    const std::int32_t frame = FrameOfTime(silence.MiddleMs(), session.Figures());
    session.Breakpoints().AddCurrentFrame(std::to_string(frame), silence.MiddleMs());
  }
}

void DescribedJob::Run(InputFile& source, const SplitProgress& progress) const {
  Split(source, Template, FrameBytes, Breakpoints, progress, AlsoRead);
}

OrRefusal<DescribedJob> DescribedJobOf(const Session& session) {
  if (session.Breakpoints().Count() < 2) {
    return Refusal{RefusalKind::NothingToDo, kNothingToSplit};
  }
  return DescribedJob{session.Template(), session.Figures().FrameBytes, session.Breakpoints(),
                      session.AlsoRead()};
}

void ExactJob::Run(InputFile& source, const SplitProgress& progress) const {
  exact::SplitExact(source, Layout, Plan, Template, progress, Names, AlsoRead);
}

OrRefusal<exact::StreamLayout> ExactLayoutOf(const Session& session) {
  exact::IndexOutcome index = exact::IndexStream(session.Source().Path);
  if (!index.Layout) {
    return Refusal{RefusalKind::ExactCut, index.Refusal};
  }
  return std::move(*index.Layout);
}

std::vector<exact::CutRequest> ExactRequestsOfList(const Session& session) {
  const BreakpointList& list = session.Breakpoints();
  std::vector<exact::CutRequest> requests;
  for (int i = 0; i < list.Count(); ++i) {
    requests.push_back({session.EntryTimeMs(i), list.Text(i)});
  }
  return requests;
}

std::vector<exact::PieceNames> ExactNamesOfList(const Session& session) {
  std::vector<exact::PieceNames> names;
  if (const auto& sheet = session.Sheet()) {
    const BreakpointList& list = session.Breakpoints();
    for (int i = 0; i < list.Count(); ++i) {
      names.push_back(cue::NamesAt(*sheet, list.Value(i), session.Figures()));
    }
  }
  return names;
}

OrRefusal<ExactJob> ExactJobOf(exact::StreamLayout layout,
                               const std::vector<exact::CutRequest>& requests,
                               std::vector<exact::PieceNames> names, std::string splitTemplate,
                               WritePolicy alsoRead) {
  if (requests.size() < 2) {
    return Refusal(RefusalKind::NothingToDo, kNothingToSplit);
  }
  exact::PlanOutcome plan = exact::PlanCuts(layout, requests);
  if (!plan.Plan) {
    return Refusal(RefusalKind::ExactCut, plan.Refusal);
  }
  return ExactJob{std::move(layout), std::move(*plan.Plan), std::move(names),
                  std::move(splitTemplate), std::move(alsoRead)};
}

OrRefusal<ExactJob> ExactJobOf(const Session& session, exact::StreamLayout layout,
                               const std::vector<exact::CutRequest>& requests,
                               std::vector<exact::PieceNames> names) {
  return ExactJobOf(std::move(layout), requests, std::move(names), session.Template(),
                    session.AlsoRead());
}

OrRefusal<ExactJob> ExactJobOfList(const Session& session, exact::StreamLayout layout) {
  return ExactJobOf(session, std::move(layout), ExactRequestsOfList(session),
                    ExactNamesOfList(session));
}

}  // namespace brelvik
