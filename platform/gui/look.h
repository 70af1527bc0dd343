#pragma once

// The colours the windows are drawn in, named as their designers named
// them, and the one way the program sets a widget's colour.

#include <QColor>
#include <QPalette>

class QWidget;

namespace shenbao {

inline const QColor kRed(255, 0, 0);
inline const QColor kYellow(255, 255, 0);
inline const QColor kBlack(0, 0, 0);
inline const QColor kWhite(255, 255, 255);
inline const QColor kGreen(0, 128, 0);
inline const QColor kTeal(0, 128, 128);
inline const QColor kNavy(0, 0, 128);
inline const QColor kOlive(128, 128, 0);
inline const QColor kBlue(0, 0, 255);
inline const QColor kSilver(192, 192, 192);

// Gives `widget` the colour `colour` in `role` of its palette.
void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour);

}  // namespace shenbao
