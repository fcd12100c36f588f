#include "reports/compute/subject_block_statistics.h"

namespace tavo::reports {

std::optional<SubjectBlockStatistics> ComputeSubjectBlockStatistics(host::Application& app, const ScoreData& data,
                                                                     const LineSettings& settings) {
  auto basics = ComputeLineBasics(app, data, settings);
  if (!basics) return std::nullopt;
  SubjectBlockStatistics st;
  static_cast<LineBasics&>(st) = std::move(*basics);
  for (std::size_t k = 0; k < 2; ++k) st.both[k] = DoubleCounts(data, st.lineScores[k]);
  for (std::size_t k = 0; k < 2; ++k) st.single[k] = SingleCounts(data, st.lineScores[k]);
  return st;
}

}  // namespace tavo::reports
