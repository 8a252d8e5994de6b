// The walk over all defined clocks, one per tick: ascending within a group, groups A to Z, then A again.
#pragma once

#include "model/WireFormat.h"

#include <QtGlobal>

struct GroupTables;

class RefreshCycle
{
public:
    explicit RefreshCycle(GroupTables& tables) : m_tables(tables) {}

    // Takes a pending group over, then moves to the next defined clock. True when one was found: it is
    // CurrentClock of group CurrentGroup. False when no group has a clock (CurrentClock is then -1).
    bool RefreshNextClock();

    // Group Z past its last clock, so the first step wraps to group A.
    qint16 CurrentGroup = 25;
    qint16 CurrentClock = kHighestClock;

private:
    GroupTables& m_tables;
};
