// SPDX-License-Identifier: GPL-3.0-or-later
// Where the platform layer's diagnostic lines go.
#include "platform/diagnostics.h"
#include "platform/platform.h"

#include <cstdio>

namespace platform {

namespace {

void writeToStandardError(const char* message)
{
    std::fprintf(stderr, "%s\n", message);
}

DiagnosticSink currentSink = writeToStandardError;

} // namespace

void setDiagnosticSink(DiagnosticSink sink)
{
    // A null sink would make every later diagnostic a crash.
    currentSink = sink != nullptr ? sink : writeToStandardError;
}

void reportDiagnostic(const char* message)
{
    currentSink(message);
}

} // namespace platform
