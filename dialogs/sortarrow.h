// The sort indicator of a list's column header, drawn as the order: pointing down on a descending
// sort (largest first), up on an ascending one.
#pragma once

class QHeaderView;

namespace yuzulog {

// From now on header draws its sort indicator so (the style it has stays for everything else).
// The styles Qt brings point the arrow up on a descending sort, against the order the rows read
// in; every sortable list of the program shows its order the same way through this.
void DrawSortIndicatorAsOrder(QHeaderView& header);

}  // namespace yuzulog
