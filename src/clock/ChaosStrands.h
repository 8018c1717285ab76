#pragma once

#include "clock/ClockFrame.h"
#include "clock/DisplayList.h"
#include "clock/StrandGeometry.h"

// The chaos strands: threads, ribbons, the spine with its echoes, fine
// threads and, near the alignments, ripples. Drawn inside the zoomed layer.
void drawChaosStrands(DisplayList& list, const ClockFrame& frame);
