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

class PaletteColorResolver final : public ColorResolver {
 public:
  RgbValue ResolveSystemColor(int index) const override;
};

QColor ToQColor(TColor c);

// The selection of a view keeps its colours when the view loses the focus.
void KeepSelectionVisible(QWidget& view);

}  // namespace yuzulog
