// The rows each viewer type of the data viewer adds, in order: the logical
// row index, the label's string id, and the value limits.
#pragma once

#include <span>

namespace helm::dialogs {

struct ViewerRow {
    unsigned short index;
    unsigned label;
    bool bounded;
    double max, min;
};

struct ViewerType {
    std::span<const ViewerRow> rows;
    unsigned short digits;
};

// The rows of `type`; none for 25 and above 28.
ViewerType viewer_type(unsigned short type);

}  // namespace helm::dialogs
