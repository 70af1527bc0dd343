#pragma once

// The forms ask for the Windows font names they were drawn with, 宋体 and
// 楷体_GB2312. At start-up these names are mapped to installed faces of the
// same style, so Chinese renders in a Song (or Kai) face and never falls back
// to a Latin one.

#include <QFont>
#include <QString>

namespace shenbao {

QString SongFamily();  // "宋体"
QString KaiFamily();   // "楷体_GB2312"

// Maps 宋体 / SimSun to AR PL UMing CN (then Noto Serif CJK SC) and
// 楷体_GB2312 / KaiTi to AR PL UKai CN. Call once after the QApplication
// exists; calling again does no harm.
void InstallFontSubstitutions();

// The program's fonts, for a QApplication that exists: the substitutions
// above, and 宋体 at 12 pixels as the font of every window, message box,
// menu and hint that sets none of its own, Latin text included, whatever
// face the desktop or the locale would give.
void InstallProgramFont();

// 宋体 with a character height in pixels, or a size in points.
QFont SongPixelFont(int pixels, bool bold = false);
QFont SongPointFont(int points, bool bold = false);
QFont KaiPixelFont(int pixels, bool bold = false);

}  // namespace shenbao
