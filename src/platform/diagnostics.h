// SPDX-License-Identifier: GPL-3.0-or-later
// Internal to the platform layer: hands one line to the current sink.
#ifndef TESSIK_PLATFORM_DIAGNOSTICS_H
#define TESSIK_PLATFORM_DIAGNOSTICS_H

namespace platform {

void reportDiagnostic(const char* message);

} // namespace platform

#endif
