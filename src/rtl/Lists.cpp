#include "rtl/Lists.h"

#include <string>

namespace rtl_detail {

void RaiseListIndexError(int index) {
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

} // namespace rtl_detail
