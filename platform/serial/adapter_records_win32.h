#pragma once
// What Windows' device tables (SetupAPI, the configuration manager) say about the machine's
// serial adapters: every present device of the Ports class, and every present USB device with
// a serial chip maker's vendor id, driver or not.

#include <vector>

#include "core/adapter_doctor.h"

namespace hopper {

std::vector<AdapterRecord> AdapterRecords();

}  // namespace hopper
