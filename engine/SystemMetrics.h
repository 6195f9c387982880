// The system's non-client metrics, the source of its caption and message fonts.
#pragma once

#include <windows.h>

// Fills metrics; false when the system answers neither the full structure nor the one before Vista.
bool ReadNonClientMetrics(NONCLIENTMETRICSW* metrics);
