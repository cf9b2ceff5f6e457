#include "cube/rules/rankrules.h"

namespace kq::cube {

int sortOptionFor(const SortSettings &s)
{
    switch (s.sortType) {
    case 0:
        return s.labelDescending == 1 ? 2 : 0;
    case 1:
        return 1;
    case 2:
        return 2;
    default:
        return -1;
    }
}

namespace {
// Label order on one of the two directions; true when the flag changed.
bool setLabelOrder(SortSettings &s, int descending)
{
    s.rankDataField = 0;
    if (s.labelDescending == descending)
        return false;
    s.labelDescending = descending;
    return true;
}
} // namespace

OptionOutcome chooseSortOption(int index, SortSettings &s, bool busy)
{
    OptionOutcome out;
    if (index == 0) {
        if (!busy) {
            s.sortType = 0;
            out.resort = setLabelOrder(s, 0);
        }
        out.selectLabels = true;
        out.listEnabled = false;
        return out;
    }
    if (index != 1 && index != 2)
        return out;
    out.listEnabled = true;
    if (s.sortType == 0) {
        if (!busy)
            out.resort = setLabelOrder(s, index == 1 ? 0 : 1);
        out.selectLabels = true;
    } else {
        if (!busy)
            s.sortType = index;
        out.selectRankField = true;
    }
    return out;
}

void chooseRankEntry(bool labelsEntry, int dataIndex, int option, SortSettings &s)
{
    if (labelsEntry) {
        s.labelDescending = (option == 0 || option == 1) ? 0 : 1;
        s.sortType = 0;
        s.rankDataField = 0;
    } else {
        s.sortType = option == 1 ? 1 : 2;
        s.rankDataField = dataIndex;
    }
}

} // namespace kq::cube
