// The windows' side of the stored fonts and colours: FontSpec to QFont, and system colours
// resolved through the application palette.
#pragma once

#include <QColor>
#include <QFont>
#include <QWidget>

#include "common/fontspec.h"

namespace yuzulog {

// The design fonts of the old platform are shown with the IPA fonts that stand in for them.
QString FontFamilyFor(const std::string& name);
QFont ToQFont(const FontSpec& spec);
// The font a font dialog chose, as a FontSpec: face, size and style from font; the colour (which
// the dialog does not offer) from previous. A face that stands in for previous's keeps
// previous's name, so the settings keep the design name.
FontSpec FromQFont(const QFont& font, const FontSpec& previous);
// A chosen colour in its stored form, 0x00BBGGRR.
TColor FromQColor(const QColor& c);

class PaletteColorResolver final : public ColorResolver {
 public:
  RgbValue ResolveSystemColor(int index) const override;
};

QColor ToQColor(TColor c);

// The selection of a view keeps its colours when the view loses the focus.
void KeepSelectionVisible(QWidget& view);

}  // namespace yuzulog
