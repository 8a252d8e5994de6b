// Handing an edited group to the refresh cycle, with the hourglass while the hand-over waits.
#pragma once

struct GroupTables;

void ShowBusyCursor();
void ShowNormalCursor();

// Returns once the refresh cycle has copied EditGroups[index] into ActiveGroups, or when the cycle stops.
// A call made while another hand-over waits (from the event processing of an earlier call) first lets
// that one complete, so no hand-over is lost.
void ApplyGroup(GroupTables& tables, int index);
