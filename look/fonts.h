#pragma once

namespace Look {

// Metric-compatible faces for the fonts the windows ask for by name, for the whole application.
void substituteFonts();

} // namespace Look
