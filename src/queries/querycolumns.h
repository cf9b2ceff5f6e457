#pragma once

namespace kq::platform {
class GridEX;
}

namespace kq::queries {

// One designed column of a query grid.
struct QueryColumn
{
    const char *caption; // UTF-8
    const char *field;
    int position; // display position from 1
    int width;
    const char *format = "";
    bool sum = false;
    bool hidden = false;
};

// Adds the columns in index order, then puts each at its display position.
template<int N>
void addQueryColumns(kq::platform::GridEX *grid, const QueryColumn (&columns)[N]);
void addQueryColumns(kq::platform::GridEX *grid, const QueryColumn *columns, int count);

template<int N>
void addQueryColumns(kq::platform::GridEX *grid, const QueryColumn (&columns)[N])
{
    addQueryColumns(grid, columns, N);
}

} // namespace kq::queries
