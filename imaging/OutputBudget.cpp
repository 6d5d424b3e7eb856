#include "OutputBudget.h"

#include "TiffError.h"

namespace plexifold::imaging {

OutputBudget::Share OutputBudget::take(std::uint64_t bytes, const std::string& context) {
    std::uint64_t used = m_used.load();
    do {
        if (bytes > m_limit || used > m_limit - bytes)
            throw TiffError(context +
                            ": the pages would be more than 4 times the size of the file itself");
    } while (!m_used.compare_exchange_weak(used, used + bytes));
    return Share(*this, bytes);
}

} // namespace plexifold::imaging
