#pragma once

#include "paint/Color.h"

#include <QColor>
#include <QPalette>

namespace miran::widgets {

// The widgets store colours as the painting layer does.
using paint::SystemColor;
using paint::TColor;

using paint::clAqua;
using paint::clBlack;
using paint::clBlue;
using paint::clFuchsia;
using paint::clGray;
using paint::clGreen;
using paint::clLime;
using paint::clMaroon;
using paint::clNavy;
using paint::clOlive;
using paint::clPurple;
using paint::clRed;
using paint::clSilver;
using paint::clTeal;
using paint::clWhite;
using paint::clYellow;

using paint::cl3DDkShadow;
using paint::cl3DLight;
using paint::clBtnFace;
using paint::clBtnHighlight;
using paint::clBtnShadow;
using paint::clBtnText;
using paint::clGrayText;
using paint::clHighlight;
using paint::clHighlightText;
using paint::clInfoBk;
using paint::clInfoText;
using paint::clWindow;
using paint::clWindowText;

// The colour as Qt shows it: a system colour is looked up in the palette.
QColor Resolve(TColor c, const QPalette& palette);
// A Qt colour as a plain RGB value.
TColor ToTColor(const QColor& c);

} // namespace miran::widgets
