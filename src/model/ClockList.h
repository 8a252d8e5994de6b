// Clock number lists: the text a user types (1-5,7) and the 128 clock flags it stands for.
#pragma once

#include "model/WireFormat.h"

#include <QString>
#include <array>

using ClockFlags = std::array<bool, kClockCount>; // flag n: clock n is in the set

// Clears `flags`, then fills them from `text`. Returns "" when the text is accepted, else the message of the first
// error met; after an error the flags hold what the items before it set and mean nothing to the caller.
QString ParseClockList(ClockFlags& flags, const QString& text);

// The shortest canonical text: ascending, no blanks, every run of two or more clocks as a range; "" for no clock.
QString FormatClockList(const ClockFlags& flags);

// The parser's steps, with positions counted from 1. Positions are not limited to 16 bits: a pasted text may be
// longer than 32767 characters and must not wrap around.

// The first position at or after `pos` that is not a space (only code 32 counts); length + 1 when there is none.
qsizetype SkipBlanks(const QString& text, qsizetype pos);

// 0..9 for the decimal digit at `pos` (which must lie within the text), else -1. Other scripts' digits are not digits.
int DigitAt(const QString& text, qsizetype pos);

// Reads the number at `pos` (after blanks) and leaves `pos` on the first character not consumed. A digit that would
// take the value past 32767 is left unread, so an overlong number ends where a delimiter is expected.
qint16 ReadNumber(const QString& text, qsizetype& pos);
