#pragma once

// How the ranking screen reads and writes the sort settings of a cube field,
// free of widgets.
namespace kq::cube {

// The three sort settings a cube field keeps.
struct SortSettings
{
    int sortType = 0;        // 0 labels, 1 ranked ascending, 2 ranked descending
    int rankDataField = 0;   // data index of the ranking data field; 0 with labels
    int labelDescending = 0; // 1 labels run descending (sort type 0)
};

// The option ("&Padrão", "&Ascendente", "&Descencente": 0, 1, 2) that shows
// a field's settings.
int sortOptionFor(const SortSettings &s);

// What choosing an option asks of the screen besides the settings it wrote.
struct OptionOutcome
{
    bool resort = false;          // the label order changed: rebuild the cube
    bool selectLabels = false;    // select the field's own labels in the list
    bool selectRankField = false; // select the entry of the ranking data field
    bool listEnabled = false;     // the data-field list is enabled
};

// Choosing option `index` on a field; `busy` (the screen is filling its own
// controls) leaves the settings alone.
OptionOutcome chooseSortOption(int index, SortSettings &s, bool busy);

// Choosing an entry of the data-field list: the field's own labels, or the
// data field whose data index is `dataIndex`; `option` is the selected option
// (-1 for none). The cube is not rebuilt here.
void chooseRankEntry(bool labelsEntry, int dataIndex, int option, SortSettings &s);

} // namespace kq::cube
