#pragma once
// The Loop Lab's two charts, painted as vectors from a LabSession in the look
// of the lessons' loop charts: blue surround, green plot with a black frame and
// grid, white Arial axes and titles. Their axes follow what they show.
//
// Each is a figure drawn by a plain function of what it shows, the style and
// the size (pvfigure.h, timefigure.h), from the parts both share
// (chartparts.h) in the charts' look (chartstyle.h); the widgets (pvchart.h,
// timechart.h, on labchart.h) keep the pictures and draw the cursor over
// them, and sessionfigures.h fills the figures from a session.

#include "lab/pvchart.h"
#include "lab/timechart.h"
