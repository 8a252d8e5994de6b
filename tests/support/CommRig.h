// A link object with scripted seams around it, wired as Main wires the real one.
#pragma once

#include "app/frmComm.h"
#include "model/GroupTable.h"
#include "support/Fakes.h"
#include "support/ScriptedDialogs.h"

struct CommRig
{
    GroupTables tables;
    RecordingPanels panels;
    FakeClock clock;
    ScriptedDialogs dialogs;
    frmComm comm{tables, panels, dialogs, clock};
};
