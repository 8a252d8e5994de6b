#include "model/CodeTables.h"

#include "model/Blanks.h"

// Texts are kept character for character as the clocks' users know them, odd blanks and the stray ")" included;
// stored groups and presets refer to entries by position, so neither order nor count may change.

constinit const std::array<CodeEntry, 29> TimeZoneList = {{
    {16, QLatin1String("(16) CLOCK OFF")},                                            // 0
    {20, QLatin1String("(20) UTC-12 (Yankee) IDLW International Date Line West")},    // 1
    {21, QLatin1String("(21) UTC-11 (Xray) MIT Midway Islands Time")},                // 2
    {22, QLatin1String("(22) UTC-10 (Whiskey) HST Hawaiian Standard Time ")},         // 3
    {23, QLatin1String("(23) UTC-9 (Victor) AKT Alaska Standard Time ")},             // 4
    {24, QLatin1String("(24) UTC-8 (Uniform) PST Pacific Standard Time ")},           // 5
    {25, QLatin1String("(25) UTC-7 (Tango) MST Mountain Standard Time ")},            // 6
    {26, QLatin1String("(26) UTC-6 (Sierra) CST Central Standard Time ")},            // 7
    {27, QLatin1String("(27) UTC-5 (Romeo) EST Eastern Standard Time ")},             // 8
    {28, QLatin1String("(28) UTC-4 (Quebec) AST Atlantic Standard Time ")},           // 9
    {29, QLatin1String("(29) UTC-3 (Papa) AGT Argentina Standard Time")},             // 10
    {30, QLatin1String("(30) UTC-2 (Oscar) ")},                                       // 11
    {31, QLatin1String("(31) UTC-1 (November) CAT Central African Time")},            // 12
    {0, QLatin1String("(0) UTC+0 (Zulu) GMT Greenwich Mean Time ")},                  // 13
    {0, QLatin1String("(0) UTC+0 (Zulu) WET Western Europe Time")},                   // 14
    {1, QLatin1String("(1) UTC+1 (Alpha) CET Central Europe Time ")},                 // 15
    {2, QLatin1String("(2) UTC+2 (Bravo) EET Eastern Europe Time)")},                 // 16
    {3, QLatin1String("(3) UTC+3 (Charlie) MSK Moscow Time ")},                       // 17
    {4, QLatin1String("(4) UTC+4 (Delta) NET Near East Time")},                       // 18
    {5, QLatin1String("(5) UTC+5 (Echo) PLT Pakistan Lahore Time")},                  // 19
    {6, QLatin1String("(6) UTC+6 (Foxtrot) BST Bangladesh Standard Time")},           // 20
    {7, QLatin1String("(7) UTC+7 (Golf) VST Vietnam Standard Time")},                 // 21
    {8, QLatin1String("(8) UTC+8 (Hotel) AWT Australian Western Standard Time ")},    // 22
    {9, QLatin1String("(9) UTC+9 (India) ")},                                         // 23
    {10, QLatin1String("(10) UTC+10 (Kilo) AEST Australian Eastern Standard Time ")}, // 24
    {11, QLatin1String("(11) UTC+11 (Lima) ")},                                       // 25
    {12, QLatin1String("(12) UTC+12 (Mike) ")},                                       // 26
    {13, QLatin1String("(13) UTC+13 ")},                                              // 27
    {14, QLatin1String("(14) UTC+14")},                                               // 28
}};

constinit const std::array<CodeEntry, 39> DaylightList = {{
    {0, QLatin1String("(0) none ")},                                                                           // 0
    {1, QLatin1String("(1) 1st Sunday in Apr. 0159-0300 to Last Sunday in Oct. 0159-0100")},                   // 1
    {2, QLatin1String("(2) 1st Sunday in Nov. 0000-0100 to 3rd Sunday in Feb. 0000-2300")},                    // 2
    {3, QLatin1String("(3) 3rd Sunday in Oct. 0159-0300 to 1st Sunday in Mar. 0159-0100")},                    // 3
    {4, QLatin1String("(4) 1st Saturday in Sep. 2359-0100 to 1st Saturday in Apr. 2359-2300")},                // 4
    {5, QLatin1String("(5) Last  Sunday in Mar. 0159-0300 to Last Sunday in Oct. 0159-0100")},                 // 5
    {6, QLatin1String("(6) Last  Sunday in Mar. 0159-0300 to Last Sunday in Sep. 0159-0100")},                 // 6
    {7, QLatin1String("(7) Friday before last Sunday in Mar. 0159-0300 to Last Sunday in Oct. 0159-0100")},    // 7
    {8, QLatin1String("(8) Last Sunday in Oct. 0159-0300 to 3rd Sunday in Mar. 0159-0100")},                   // 8
    {9, QLatin1String("(9)  Forced hour")},                                                                    // 9
    {10, QLatin1String("(10)  Forced half hour")},                                                             // 10
    {11, QLatin1String("(11) 2nd Sunday in Oct 0159-0300 to 3rd Sunday in Mar. 0159-0100")},                   // 11
    {12, QLatin1String("(12) + half hour; 2nd Sunday in Mar. 0159-0300 to 1st Sunday in Nov. 0159-0100")},     // 12
    {13, QLatin1String("(13) Last Sunday in Oct. 0159-0300 to Last Sunday in Mar. 0259-0200")},                // 13
    {14, QLatin1String("(14) 1st Sunday in Oct. 0000-0100 to 4th Sunday in Mar. 0000-2300")},                  // 14
    {15, QLatin1String("(15) 1st Sunday in Oct. 0159-0300 to 1st Sunday in Mar. on or after 15th 0259-0200")}, // 15
    {16, QLatin1String("(16) Last Sunday in Mar. 0259-0400 to Last Sunday in Oct. 0359-0300")},                // 16
    {17, QLatin1String("(17) Last Sunday in Mar. 0059-0000 to Last Sunday in Sep. 0159-0100")},                // 17
    {18, QLatin1String("(18) Last Sunday in March 0059-0200 to Last Sunday in October 2359 to 2300")},         // 18
    {19, QLatin1String("(19) Last Friday in Apr. 0000-0100 to last Thursday in Sep. 0059-0000")},              // 19
    {20, QLatin1String("(20) Last Sunday in Mar. 0059-0000 to Last Sunday in Oct. 0159-0100")},                // 20
    {21, QLatin1String("(21) 2nd Sunday in March 1159-0100 to 1st Sunday in November 0059-0000")},             // 21
    {22, QLatin1String("(22) 1st Sunday in Oct. 0159-0300 to 1st Sunday in Feb. on or after 11th 0259-0200")}, // 22
    {23,
     QLatin1String(
         "(23) 1st Sunday in Oct on or after 9th  0159-0300 to 1st Sunday in Mar. on or after 9th 0259-0200")}, // 23
    {24, QLatin1String("(24) + half hour; Mar. 22 or 21 0000-0100 to Sep. 22 or 21 0000-2300")},                // 24
    {25, QLatin1String("(25) Forced Quarter Hour")},                                                            // 25
    {26, QLatin1String("(26) Forced Three-Quarter Hour")},                                                      // 26
    {27, QLatin1String("(27) Last Wednesday in Apr. 2359-0100 to Last Wednesday in Oct. 2359-2300  ")},         // 27
    {28, QLatin1String("(28) Last Sunday in Mar. 0159-0300 to Last Sunday in Nov. 0159-0100")},                 // 28
    {29, QLatin1String("(29) 1st Sunday in Mar. 0159-0300 to Last Sunday in Nov. 0159 - 0100")},                // 29
    {30, QLatin1String("(30) 2nd Sunday in Mar. 0159-0300 to 1st Sunday in Nov. 0159-0100")},                   // 30
    {31, QLatin1String("(31) 1st Sunday in Oct. 0159-0300 to 1st Sunday in Apr. 0259-0200")},                   // 31
    {32, QLatin1String("(32) Last Sunday in Sept. 0159-0300 to 1st Sunday in Apr. 0159-0100")},                 // 32
    {33, QLatin1String("(33) 1st Sunday in Nov. 0159-0300 to 3rd Sunday in Jan. 0259-0200")},                   // 33
    {34, QLatin1String("(34) Last Friday in Mar. 0000-0100 to Last Friday in Oct. 0059-0000")},                 // 34
    {35, QLatin1String("(35) + half hour; 1st Sunday in Oct. 0159-0300 to 1st Sunday in Apr. 0259-0200")},      // 35
    {36, QLatin1String("(36) Last Sunday in Mar. 0159-0300 to Last Sunday in Oct. 0259-0200")},                 // 36
    {37, QLatin1String("(37) Last Friday in Feb. 2359-0100 to Last Friday in Oct. 0259-0000")},                 // 37
    {38, QLatin1String("(38) 1st->2nd Sunday in Nov. 0159-0300 to 2nd Sunday in Jan. 0259-0200")},              // 38
}};

QString EntryText(const CodeEntry& entry)
{
    return TrimBlanks(QString(entry.text)).toString();
}
