#include "platform/serial/port_survey.h"

namespace hopper {

// Windows keeps none of these troubles where a program could look: nothing is found.
std::vector<PortFinding> PortSurvey::Look(const std::vector<SerialDevice>&) const { return {}; }

}  // namespace hopper
