// A link object with scripted seams around it, wired as Main wires the real one. Its link records the packets: no
// test reaches a serial port or the network through it.
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
    QList<QByteArray> sent;
    QString failWith; // writes fail with this reason while it is set
    frmComm comm{tables, panels, dialogs, clock, [this](const LinkChoice&) {
                     auto link = std::make_unique<RecordingLink>();
                     link->sent = &sent;
                     link->failWith = &failWith;
                     return link;
                 }};
};
