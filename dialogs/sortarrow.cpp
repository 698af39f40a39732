#include "dialogs/sortarrow.h"

#include <QHeaderView>
#include <QProxyStyle>
#include <QStyleOptionHeader>

namespace yuzulog {
namespace {

// Qt's header hands a descending order to the style as SortUp, and its styles draw SortUp as an
// arrow pointing up; the arrow is drawn from the header's own order instead.
class SortOrderArrowStyle final : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    const auto* header = qstyleoption_cast<const QStyleOptionHeader*>(option);
    if (element != PE_IndicatorHeaderArrow || !header ||
        header->sortIndicator == QStyleOptionHeader::None)
      return QProxyStyle::drawPrimitive(element, option, painter, widget);
    QStyleOptionHeader asOrder(*header);
    asOrder.sortIndicator = header->sortIndicator == QStyleOptionHeader::SortUp
                                ? QStyleOptionHeader::SortDown
                                : QStyleOptionHeader::SortUp;
    QProxyStyle::drawPrimitive(element, &asOrder, painter, widget);
  }
};

}  // namespace

void DrawSortIndicatorAsOrder(QHeaderView& header) {
  if (dynamic_cast<SortOrderArrowStyle*>(header.style())) return;
  auto* style = new SortOrderArrowStyle;
  style->setParent(&header);
  header.setStyle(style);
}

}  // namespace yuzulog
