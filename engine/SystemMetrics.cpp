#include "SystemMetrics.h"

bool ReadNonClientMetrics(NONCLIENTMETRICSW* metrics) {
    *metrics = {};
    metrics->cbSize = 504;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics->cbSize, metrics, 0)) {
        return true;
    }
    // Systems before Vista know the structure without its last field.
    metrics->cbSize = 500;
    return SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics->cbSize, metrics, 0) != FALSE;
}
