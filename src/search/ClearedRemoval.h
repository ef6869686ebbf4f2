#pragma once

class FlexGrid;

// "Remove Cleared" on the imported-names grid.
namespace ClearedRemoval {

// Only the rows whose cell in the grid's current column is marked red stay, in their order. When none is, one
// empty row stays, with no text, colour or mark left from before.
void keepMarkedRows(FlexGrid &grid);

} // namespace ClearedRemoval
