#include "platform/serial/adapter_records_win32.h"
#include "platform/serial/port_survey.h"

namespace hopper {

// On Windows what stands in the way is in the adapters' drivers and device states: another
// program holding a port shows only as "access denied" when opening it.
std::vector<PortFinding> PortSurvey::Look(const std::vector<SerialDevice>&) const {
  std::vector<PortFinding> findings;
  for (const AdapterRecord& adapter : AdapterRecords())
    for (PortFinding& finding : AdapterFindings(adapter)) findings.push_back(std::move(finding));
  return findings;
}

}  // namespace hopper
