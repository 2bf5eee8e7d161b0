#pragma once

class Grid;

// SetUpListGrids: the shape, captions, widths and alignments of both list grids, the
// title grid msgIchiran for titleCount titles and the song grid msgIchiran2 for
// songCount songs. The cells below the header are left to the screens that fill them.
void SetUpListGrids(Grid& msgIchiran, int titleCount, Grid& msgIchiran2, int songCount);

// The genre column col of a filled list grid is as wide as its longest genre, up to
// twelve characters, before the name columns share what is left.
void showGenresWhole(Grid& grid, int col);
