#pragma once

// Appends one line to the trace file (LUMIVEX_TRACE, else "trace.txt" in the
// current folder), so a test can read back what ran and in which order.
void trace(const char* line);
