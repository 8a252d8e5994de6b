// The summary of all groups that hold clocks, as one plain text table for a fixed-pitch font.
#pragma once

#include "model/GroupTable.h"

#include <QString>

// Three heading lines, then one row per group with clocks, in letter order. Every column is at least 10 characters
// and 2 wider than its longest value; cells are joined by one blank, and every line ends in a blank, CR and LF.
QString SummaryTableText(const std::array<GroupRecord, kGroupCount>& groups);
