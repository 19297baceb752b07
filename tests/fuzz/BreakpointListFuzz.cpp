// The breakpoint list under any sequence of adds, selections, deletions and
// resets: it stays ascending and unique by value, with a selection inside it.
#include "FuzzChecks.h"
#include "split/BreakpointList.h"
#include "split/IntegerText.h"

namespace {

void CheckInvariants(const brelvik::BreakpointList& list) {
  for (int i = 1; i < list.Count(); ++i) {
    brelvik::fuzz::Check(list.Value(i - 1) < list.Value(i));
  }
  brelvik::fuzz::Check(list.Selected() >= -1 && list.Selected() < list.Count());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  brelvik::fuzz::Input input(data, size);
  brelvik::BreakpointList list;
  while (!input.Empty()) {
    const int before = list.Count();
    try {
      switch (input.Byte() % 5) {
        case 0: {
          const auto outcome = list.AddCurrentFrame(input.Text());
          brelvik::fuzz::Check(list.Count() == before + (outcome.InsertedAt ? 1 : 0));
          break;
        }
        case 1: {
          const std::string text = input.Text();
          const std::int32_t frameTotal = input.Int32();
          const auto outcome = list.AddTypedFrame(text, frameTotal);
          brelvik::fuzz::Check(outcome.Refusal.empty() || list.Count() == before);
          break;
        }
        case 2:
          list.Select(static_cast<int>(input.Byte()) - 1);
          break;
        case 3:
          list.DeleteSelected();
          break;
        default:
          list.Reset();
          brelvik::fuzz::Check(list.Count() == 1 && list.Value(0) == 0);
          break;
      }
    } catch (const brelvik::EConvertError&) {
      brelvik::fuzz::Check(list.Count() == before);
    }
    CheckInvariants(list);
  }
  return 0;
}
