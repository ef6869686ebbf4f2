#include "search/ClearedRemoval.h"

#include "platform/widgets/FlexGrid.h"
#include "search/RowMarks.h"
#include "shared/RgbColor.h"

void ClearedRemoval::keepMarkedRows(FlexGrid &grid)
{
    const int col = grid.col();
    // The bound is taken once, at the start; the rows below a removed one move up and are looked at again.
    const int bound = grid.rows() - 1;
    for (int i = 0; i <= bound && i < grid.rows();) {
        if (grid.cellForeColor(i, col) == toColor(RowColors::Red)) {
            ++i;
            continue;
        }
        if (grid.rows() == 1) {
            grid.clear();
            break;
        }
        grid.removeRow(i);
    }
}
